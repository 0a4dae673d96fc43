#pragma once

#include <QApplication>
#include <QPointer>

#include <memory>

class AppContext;
class CKorvanSensorSetupDlg;

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
    // posted to the main window as well, then delivered as usual.
    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::unique_ptr<AppContext> context_;
    QPointer<QObject> mainWindow_;
};
