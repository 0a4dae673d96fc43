#pragma once

#include <QObject>

#include <memory>

// The operating system asking the tool to end (on Linux SIGTERM and SIGINT:
// a shutdown, `kill`, Ctrl+C in the terminal it was started from), turned
// into a signal on the user-interface thread. Nothing but a byte written to
// a pipe happens inside the signal handler; the rest runs in the event loop.
// On Windows a GUI program gets no such signals: the session's end reaches
// it through the application object instead, and Install does nothing.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    // Takes over the signals; false when the operating system refused.
    bool Install();
    // Gives the previous handlers back.
    void Remove();
    bool Installed() const;

signals:
    void QuitRequested();

private:
    struct Os;
    std::unique_ptr<Os> os_;
};
