#include "FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace FileDialogs {

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

QString GetSaveFileName(const SaveRequest& request)
{
    if (CurrentHook())
        return CurrentHook()(request);
    QFileDialog dialog(request.parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace FileDialogs
