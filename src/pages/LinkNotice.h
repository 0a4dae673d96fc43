#pragma once

#include <QLabel>

struct LineLinkReport;

// The line under a page's poll, as the page tells it: lost and waited for
// (red, bold), or back (green). Hidden while there is nothing to say.
class LinkNotice : public QLabel {
    Q_OBJECT
public:
    explicit LinkNotice(QWidget* parent);

    void Show(const LineLinkReport& report);
    void Clear();
};
