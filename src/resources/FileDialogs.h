#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's save-file dialogs. Like the message boxes they go through
// one replaceable hook, so that a test chooses a path (or cancels) without a
// modal dialog that nobody would close; the program keeps the default, the
// platform's own save dialog.
namespace FileDialogs {

struct SaveRequest {
    QWidget* parent = nullptr;
    QString defaultName;      // "looplog.csv"
    QString defaultExtension; // "csv", added when the user types none
    QString filter;           // Qt's form: "CSV files (*.csv);;All files (*.*)"
};

// The chosen path, or an empty text when the user cancelled.
using Hook = std::function<QString(const SaveRequest&)>;

// Installs `hook` (an empty one restores the real dialog) and returns the
// one it replaces.
Hook SetHook(Hook hook);

// Asks before overwriting an existing file; the read-only box is never
// shown (Qt's dialog has none).
QString GetSaveFileName(const SaveRequest& request);

} // namespace FileDialogs
