#pragma once

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTranslator>

#include <memory>

class AppContext;
class CKorvanSensorSetupDlg;
class QuitSignals;

// The application object: it names the settings store, creates the one
// AppContext, loads the settings and runs the main window modally; when the
// main window closes, the program ends.
class CKorvanSensorSetupApp : public QApplication {
    Q_OBJECT
public:
    CKorvanSensorSetupApp(int& argc, char** argv);
    ~CKorvanSensorSetupApp() override;

    // Start-up to the main window's close; false: no message loop follows.
    bool InitInstance();
    // The engine first, then the rest of the context.
    int ExitInstance();

    // The window the forwarded keys go to (the running main window, or one
    // a test sets).
    void SetMainWindow(QObject* window) { mainWindow_ = window; }
    QObject* MainWindow() const { return mainWindow_; }

    // Every event passes here before the widgets see it: Esc, F1 and F2 are
    // posted to the main window as well, then delivered as usual; only keys
    // typed in the main window while it is the active window, so that F2 in
    // a dialog over it starts nothing behind the dialog.
    bool notify(QObject* receiver, QEvent* event) override;

    // Qt's own Russian texts (context menus of the edit fields, the file
    // dialogs, standard buttons): "qtbase_ru" from Qt's translations folder,
    // else from "translations" beside the program. False when neither has
    // it; those texts then stay English (the program's own boxes set their
    // button texts themselves).
    bool LoadQtTranslations();
    bool QtTranslationsLoaded() const { return qtTranslationsLoaded_; }

    // The tool asked to end from outside the window (SIGTERM or SIGINT on
    // Linux, the session's end) ends as its close command does, so that a
    // fixed HART loop current is released first.
    void InstallQuitHandlers();
    void RemoveQuitHandlers();
    // Closes the dialogs over the main window (each by its own way out),
    // then the main window. `mayAsk`: whether a box may wait for the user.
    void RequestQuit(bool mayAsk);

private:
    bool ForwardsKeysOf(QObject* receiver) const;

    QTranslator qtTranslator_;
    bool qtTranslationsLoaded_ = false;
    std::unique_ptr<AppContext> context_;
    QPointer<QObject> mainWindow_;
    std::unique_ptr<QuitSignals> quitSignals_;
    QList<QMetaObject::Connection> quitConnections_;
};
