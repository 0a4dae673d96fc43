#include "ModalDialogs.h"

#include <QDialog>

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

} // namespace ModalDialogs
