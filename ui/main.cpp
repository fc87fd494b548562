// Entry of quovex: no arguments are read and the exit status is always 0.
#include "ProcessGuard.h"
#include "VaultApp.h"

int main(int argc, char** argv) {
    // Before any secret is typed; the window runs on either way, as a
    // process that would not start is no safer for the files.
    quovex::KeepProcessSecretsIn();
    quovex::CVaultApp app;
    return app.Run(argc, argv);
}
