// The window tests against the simulator run inside the program's own application
// object (its key forwarding included), under Qt's offscreen platform and
// with a config folder of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "CKorvanSensorSetupApp.h"

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char tmpl[] = "/tmp/korvan-ui-tests-XXXXXX";
    const char* home = ::mkdtemp(tmpl);
    if (home == nullptr)
        return 2;
    const std::string configHome = home;
    ::setenv("XDG_CONFIG_HOME", home, 1);

    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        CKorvanSensorSetupApp app(argc, argv);
        app.setOrganizationName(QStringLiteral("Korvan"));
        app.setApplicationName(QStringLiteral("KorvanSensorSetup"));
        result = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(configHome, ec);
    return result;
}
