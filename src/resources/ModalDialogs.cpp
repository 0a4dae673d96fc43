#include "ModalDialogs.h"

#include <QDialog>
#include <QFileDialog>

namespace ModalDialogs {

namespace {
Hook& CurrentHook()
{
    static Hook hook;
    return hook;
}
} // namespace

Hook SetHook(Hook hook)
{
    Hook old = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return old;
}

int Exec(QDialog& dialog)
{
    if (CurrentHook())
        return CurrentHook()(dialog);
    return dialog.exec();
}

QString SaveFileName(QWidget* parent, const QString& fileName, const QString& defaultSuffix,
                     const QStringList& nameFilters)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilters(nameFilters);
    dialog.selectFile(fileName);
    if (Exec(dialog) != QDialog::Accepted)
        return {};
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace ModalDialogs
