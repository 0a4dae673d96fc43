#include "CKorvanSensorSetupApp.h"

#include <cstdio>
#include <cstring>

#include "ConsoleOutput.h"

#ifndef KORVAN_VERSION_TEXT
#define KORVAN_VERSION_TEXT "0.0.0"
#endif

int main(int argc, char** argv)
{
    // --version answers without a window (and without a display), so that an
    // installation can be checked from a script.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            ConsoleOutput::Attach();
            std::printf("KorvanSensorSetup %s\n", KORVAN_VERSION_TEXT);
            std::fflush(stdout);
            return 0;
        }
    }
    CKorvanSensorSetupApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
