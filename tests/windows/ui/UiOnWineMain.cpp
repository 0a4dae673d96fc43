// The user interface of the Windows build under Qt's offscreen platform,
// inside the program's own application object, against the simulated
// detector outside the process (scripts/test-windows.sh starts it and names
// its COM ports). Fonts come from QT_QPA_FONTDIR: the offscreen platform
// draws text with FreeType and finds no Windows fonts by itself.
#include <gtest/gtest.h>

#include <QByteArray>

#include "CKorvanSensorSetupApp.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    ::testing::InitGoogleTest(&argc, argv);
    CKorvanSensorSetupApp app(argc, argv);
    app.setOrganizationName(QStringLiteral("Korvan"));
    app.setApplicationName(QStringLiteral("KorvanSensorSetup"));
    return RUN_ALL_TESTS();
}
