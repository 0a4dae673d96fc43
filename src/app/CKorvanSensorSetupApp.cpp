#include "CKorvanSensorSetupApp.h"

#include <QDir>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>

#include <cstdio>

#include "AppContext.h"
#include "AppIcon.h"
#include "CKorvanSensorSetupDlg.h"
#include "ForwardKey.h"
#include "QuitSignals.h"
#include "Settings.h"
#include "WindowMessageEvent.h"

CKorvanSensorSetupApp::CKorvanSensorSetupApp(int& argc, char** argv) : QApplication(argc, argv)
{
    // Every window the program opens shows its icon and speaks Russian,
    // Qt's own texts included.
    setWindowIcon(AppIcon::Icon());
    LoadQtTranslations();
}

bool CKorvanSensorSetupApp::LoadQtTranslations()
{
    if (qtTranslationsLoaded_)
        return true;
    const QStringList folders = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                                 QDir(applicationDirPath()).filePath(QStringLiteral("translations"))};
    for (const QString& folder : folders) {
        if (qtTranslator_.load(QStringLiteral("qtbase_ru"), folder)) {
            installTranslator(&qtTranslator_);
            qtTranslationsLoaded_ = true;
            return true;
        }
    }
    std::fprintf(stderr, "qtbase_ru.qm not found in %s: Qt's standard texts stay English\n",
                 qPrintable(folders.join(QStringLiteral(", "))));
    return false;
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
        InstallQuitHandlers();
        dlg.exec();
        RemoveQuitHandlers();
        mainWindow_ = nullptr;
    }
    return false;
}

void CKorvanSensorSetupApp::InstallQuitHandlers()
{
    if (quitSignals_)
        return;
    quitSignals_ = std::make_unique<QuitSignals>();
    quitConnections_ << connect(quitSignals_.get(), &QuitSignals::QuitRequested, this, [this] { RequestQuit(false); });
    quitSignals_->Install();
    quitConnections_ << connect(
        this, &QGuiApplication::commitDataRequest, this,
        [this](QSessionManager& manager) {
            const bool mayAsk = manager.allowsInteraction();
            RequestQuit(mayAsk);
            if (mayAsk)
                manager.release();
        },
        Qt::DirectConnection);
    quitConnections_ << connect(this, &QCoreApplication::aboutToQuit, this, [this] { RequestQuit(false); });
}

void CKorvanSensorSetupApp::RemoveQuitHandlers()
{
    for (const QMetaObject::Connection& c : quitConnections_)
        disconnect(c);
    quitConnections_.clear();
    quitSignals_.reset();
}

void CKorvanSensorSetupApp::RequestQuit(bool mayAsk)
{
    auto* window = qobject_cast<CKorvanSensorSetupDlg*>(mainWindow_.data());
    if (window == nullptr)
        return;
    // The loop-current test asks for its release as it closes; the main
    // window's end then waits for it (or sends it) before the line closes.
    for (int guard = 0; guard < 16; ++guard) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == window)
            break;
        modal->close();
    }
    window->Quit(mayAsk);
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
    if (event->type() == QEvent::KeyPress && ForwardsKeysOf(receiver)) {
        const int key = ForwardKey::FromQtKey(static_cast<QKeyEvent*>(event)->key());
        if (key != 0)
            QCoreApplication::postEvent(mainWindow_.data(),
                                        new WindowMessageEvent(ForwardKey::WM_FORWARD_KEY, static_cast<std::uintptr_t>(key), 0));
    }
    return QApplication::notify(receiver, event);
}

bool CKorvanSensorSetupApp::ForwardsKeysOf(QObject* receiver) const
{
    auto* main = qobject_cast<QWidget*>(mainWindow_.data());
    if (main == nullptr || !receiver->isWidgetType())
        return false;
    // A modal dialog, a stopwatch or an error window over the main window
    // keeps its keys; so does a window of its own that is not active.
    return static_cast<QWidget*>(receiver)->window() == main && QApplication::activeWindow() == main;
}
