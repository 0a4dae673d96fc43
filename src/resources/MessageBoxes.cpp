#include "MessageBoxes.h"

#include <QMessageBox>

#include "StringTable.h"

namespace MessageBoxes {

namespace {

Hook& CurrentHook()
{
    static Hook hook;
    return hook;
}

int ShowModal(const Request& r)
{
    QMessageBox box(r.parent);
    box.setWindowTitle(r.caption);
    box.setText(r.text);
    switch (r.icon) {
    case Icon::Stop: box.setIcon(QMessageBox::Critical); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (r.buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return kOk;
    case QMessageBox::Yes: return kYes;
    case QMessageBox::No: return kNo;
    default: return kCancel;
    }
}

} // namespace

Hook SetHook(Hook hook)
{
    Hook old = std::move(CurrentHook());
    CurrentHook() = std::move(hook);
    return old;
}

int Show(const Request& request)
{
    if (CurrentHook())
        return CurrentHook()(request);
    return ShowModal(request);
}

int Warning(QWidget* parent, const QString& text)
{
    return Show({parent, StringTable::Get(StringTable::kCaptionWarning), text, Icon::Exclamation, Buttons::Ok});
}

int Error(QWidget* parent, const QString& text)
{
    return Show({parent, StringTable::Get(StringTable::kCaptionError), text, Icon::Stop, Buttons::Ok});
}

} // namespace MessageBoxes
