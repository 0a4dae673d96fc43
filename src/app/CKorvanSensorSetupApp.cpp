#include "CKorvanSensorSetupApp.h"

#include <QKeyEvent>

#include "AppContext.h"
#include "CKorvanSensorSetupDlg.h"
#include "ForwardKey.h"
#include "Settings.h"
#include "WindowMessageEvent.h"

CKorvanSensorSetupApp::CKorvanSensorSetupApp(int& argc, char** argv) : QApplication(argc, argv)
{
}

CKorvanSensorSetupApp::~CKorvanSensorSetupApp()
{
    ExitInstance();
}

bool CKorvanSensorSetupApp::InitInstance()
{
    // The settings store: organisation and application name.
    setOrganizationName(QStringLiteral("Korvan"));
    setApplicationName(QStringLiteral("KorvanSensorSetup"));
    setQuitOnLastWindowClosed(false);

    context_ = std::make_unique<AppContext>();
    Settings::LoadConnection();
    Settings::LoadWords();

    {
        CKorvanSensorSetupDlg dlg(*context_);
        mainWindow_ = &dlg;
        dlg.exec();
        mainWindow_ = nullptr;
    }
    return false;
}

int CKorvanSensorSetupApp::ExitInstance()
{
    // AppContext takes its engine down first (its last member), so the
    // workers are stopped before the window table they post to goes.
    context_.reset();
    return 0;
}

bool CKorvanSensorSetupApp::notify(QObject* receiver, QEvent* event)
{
    // A key arrives twice: at the native window, then at the focus widget.
    // Only the second counts, as one key-down.
    if (event->type() == QEvent::KeyPress && mainWindow_ && receiver->isWidgetType()) {
        const int key = ForwardKey::FromQtKey(static_cast<QKeyEvent*>(event)->key());
        if (key != 0)
            QCoreApplication::postEvent(mainWindow_.data(),
                                        new WindowMessageEvent(ForwardKey::WM_FORWARD_KEY, static_cast<std::uintptr_t>(key), 0));
    }
    return QApplication::notify(receiver, event);
}
