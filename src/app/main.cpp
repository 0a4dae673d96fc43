#include "CKorvanSensorSetupApp.h"

int main(int argc, char** argv)
{
    CKorvanSensorSetupApp app(argc, argv);
    app.InitInstance();
    return app.ExitInstance();
}
