#include "PasswordDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "AppContext.h"
#include "Settings.h"
#include "StringTable.h"

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(StringTable::Get(StringTable::kPasswordButton));
    setObjectName(QStringLiteral("PasswordDialog"));

    password_ = new QLineEdit(AppContext::Get().calibrationPassword);
    password_->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    form->addRow(StringTable::Get(StringTable::kCalibrationPasswordLabel), password_);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(StringTable::Get(StringTable::kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(StringTable::Get(StringTable::kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasswordDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PasswordDialog::accept()
{
    // An empty password is taken as it is: the commands that need it then
    // fail without anything being sent.
    AppContext::Get().calibrationPassword = password_->text();
    Settings::SaveWords();
    QDialog::accept();
}
