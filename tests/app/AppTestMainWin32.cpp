// The main of the Windows build's window tests (app_tests' Windows part and
// windows_ui_tests): inside the program's own application object, under
// Qt's offscreen platform. Qt's Russian texts are looked for beside the
// test, as beside the program (translations/).
#include <gtest/gtest.h>

#include <QByteArray>

#include "CKorvanSensorSetupApp.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // The offscreen platform draws text with FreeType from the fonts in
    // QT_QPA_FONTDIR. Wine does not hand variables named QT_* on to Windows
    // programs, so the folder comes as KORVAN_TEST_FONT_DIR.
    const QByteArray fonts = qgetenv("KORVAN_TEST_FONT_DIR");
    if (!fonts.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR"))
        qputenv("QT_QPA_FONTDIR", fonts);
    ::testing::InitGoogleTest(&argc, argv);
    CKorvanSensorSetupApp app(argc, argv);
    app.setOrganizationName(QStringLiteral("Korvan"));
    app.setApplicationName(QStringLiteral("KorvanSensorSetup"));
    return RUN_ALL_TESTS();
}
