// Entry of quovex: no arguments are read and the exit status is always 0.
#include "VaultApp.h"

int main(int argc, char** argv) {
    quovex::CVaultApp app;
    return app.Run(argc, argv);
}
