// Entry of quovex: no arguments are read and the exit status is always 0.
#include "ProcessGuard.h"
#include "VaultApp.h"
#include "VaultEnv.h"

int main(int argc, char** argv) {
    // Before any secret is typed; the window runs on either way, as a
    // process that would not start is no safer for the files.
    quovex::KeepProcessSecretsIn();
    // The one place the window names the real file system.
    quovex::CVaultApp app(quovex::CVaultEnv::Default());
    return app.Run(argc, argv);
}
