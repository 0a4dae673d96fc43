#pragma once

#include <functional>

class QDialog;

// Runs a dialog modally. Like the message boxes, this goes through one
// replaceable hook: a test answers the dialog (or looks at it) instead of a
// modal loop that nobody would close.
namespace ModalDialogs {

// Returns the dialog's result (QDialog::Accepted or QDialog::Rejected).
using Hook = std::function<int(QDialog&)>;

// Installs `hook` (an empty one restores exec()) and returns the old one.
Hook SetHook(Hook hook);

int Exec(QDialog& dialog);

} // namespace ModalDialogs
