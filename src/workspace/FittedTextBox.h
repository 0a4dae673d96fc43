#pragma once

#include <QString>
#include <QWidget>

#include "TCommonTextDraw.h"

// A framed box that shows one text centred in the largest font that fits
// it (the sensor line and the concentration of the calibration page). The
// size chosen for the first text stays while the value changes, so the
// figures do not jump; a new box size chooses again.
class FittedTextBox : public QWidget {
    Q_OBJECT
public:
    explicit FittedTextBox(QWidget* parent = nullptr);

    void SetText(const QString& text);
    const QString& Text() const { return text_; }
    const TCommonTextDraw& Drawer() const { return drawer_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString text_;
    TCommonTextDraw drawer_;
};
