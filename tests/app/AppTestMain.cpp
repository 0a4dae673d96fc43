// The tests run inside the program's own application object, so the key
// forwarding they check is the program's; under the offscreen platform, so
// no display is needed.
#include <gtest/gtest.h>

#include <QSettings>

#include <cstdlib>
#include <filesystem>

#include "CKorvanSensorSetupApp.h"

// Where the store would lie without a test folder, taken before any test
// moves it: the demo writes its settings there.
QString g_defaultStoreFile;
std::string g_processConfigHome;

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    char tmpl[] = "/tmp/korvan-app-tests-XXXXXX";
    const char* home = ::mkdtemp(tmpl);
    if (home == nullptr)
        return 2;
    g_processConfigHome = home;
    ::setenv("XDG_CONFIG_HOME", home, 1);

    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        CKorvanSensorSetupApp app(argc, argv);
        app.setOrganizationName(QStringLiteral("Korvan"));
        app.setApplicationName(QStringLiteral("KorvanSensorSetup"));
        g_defaultStoreFile = QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup")).fileName();
        result = RUN_ALL_TESTS();
    }
    std::error_code ec;
    std::filesystem::remove_all(g_processConfigHome, ec);
    return result;
}
