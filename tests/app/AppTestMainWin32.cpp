// The Windows build's tests of the application's widgets that need neither
// the simulator nor a config folder of their own: inside the program's own
// application object, under Qt's offscreen platform. Qt's Russian texts are
// looked for beside the test, as beside the program (translations/).
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
