#include "FittedTextBox.h"

#include <QPainter>

FittedTextBox::FittedTextBox(QWidget* parent) : QWidget(parent) {}

void FittedTextBox::SetText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    update();
}

void FittedTextBox::paintEvent(QPaintEvent* event)
{
    (void)event;
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(palette().color(QPalette::Button));
    painter.drawRect(box);
    if (!text_.isEmpty())
        drawer_.Draw(painter, rect().adjusted(1, 1, -1, -1), text_, palette().color(QPalette::WindowText));
}

void FittedTextBox::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    drawer_.Reset();
}
