#include "LinkNotice.h"

#include "LineLink.h"

LinkNotice::LinkNotice(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("LinkNotice"));
    setWordWrap(true);
    hide();
}

void LinkNotice::Show(const LineLinkReport& report)
{
    if (report.text.empty()) {
        Clear();
        return;
    }
    // The engineer glancing at the laptop must tell the two apart without
    // reading.
    setStyleSheet(report.lost ? QStringLiteral("color: #b00000; font-weight: bold;")
                              : QStringLiteral("color: #006000;"));
    setText(QString::fromStdString(report.text));
    show();
}

void LinkNotice::Clear()
{
    clear();
    hide();
}
