#include "TabPage.h"

#include <QEvent>
#include <QKeyEvent>

#include "Engine.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

TabPage::TabPage(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : QWidget(parent), engine_(engine), windows_(windows), handle_(windows.Add(this))
{
    setEnabled(false);
    hide();
}

TabPage::~TabPage()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
}

void TabPage::OnForwardKey(int key)
{
    (void)key;
}

void TabPage::OnDeactivate()
{
    UnregisterAll();
    engine_.StopActivity();
}

void TabPage::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    (void)message;
    (void)wParam;
    (void)lParam;
}

void TabPage::Register(std::uint32_t id)
{
    engine_.Register(handle_, id);
}

void TabPage::UnregisterAll()
{
    engine_.UnregisterAll(handle_);
}

void TabPage::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    if (isEnabled() && !active_) {
        active_ = true;
        OnActivate();
    } else if (!isEnabled() && active_) {
        active_ = false;
        OnDeactivate();
    }
}

void TabPage::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        auto* m = static_cast<WindowMessageEvent*>(event);
        OnWindowMessage(m->Message(), m->WParam(), m->LParam());
        return;
    }
    QWidget::customEvent(event);
}

void TabPage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
