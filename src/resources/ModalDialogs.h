#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QDialog;
class QWidget;

// Runs a dialog modally. Like the message boxes, this goes through one
// replaceable hook: a test answers the dialog (or looks at it) instead of a
// modal loop that nobody would close.
namespace ModalDialogs {

// Returns the dialog's result (QDialog::Accepted or QDialog::Rejected).
using Hook = std::function<int(QDialog&)>;

// Installs `hook` (an empty one restores exec()) and returns the old one.
Hook SetHook(Hook hook);

int Exec(QDialog& dialog);

// The save-file dialog owned by `parent`, run through Exec: it offers
// `fileName`, adds `defaultSuffix` to a name typed without one, lists
// `nameFilters` and asks before it overwrites a file. The chosen path, or an
// empty text when the engineer cancelled. The dialog the hook gets is a
// QFileDialog; a test picks the path with selectFile().
QString SaveFileName(QWidget* parent, const QString& fileName, const QString& defaultSuffix,
                     const QStringList& nameFilters);

} // namespace ModalDialogs
