#include "MessageBoxes.h"

#include <QAbstractButton>
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
    // The buttons speak Russian whether or not Qt's own translation was
    // found on this machine.
    const struct {
        QMessageBox::StandardButton button;
        int text;
    } captions[] = {{QMessageBox::Ok, StringTable::kOk},
                    {QMessageBox::Cancel, StringTable::kCancel},
                    {QMessageBox::Yes, StringTable::kYes},
                    {QMessageBox::No, StringTable::kNo}};
    for (const auto& c : captions)
        if (QAbstractButton* b = box.button(c.button))
            b->setText(StringTable::Get(c.text));
    // A question is answered on purpose: Esc and the close box say no.
    if (r.buttons == Buttons::YesNo) {
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
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
