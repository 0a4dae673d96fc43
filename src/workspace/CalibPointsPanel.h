#pragma once

#include <QString>

#include "WorkspacePanel.h"

class QLabel;

// The sensor's two-point calibration: "C1" and "C2" each send the sensor the
// typed concentration of that point ("Калибровка"), "V1"/"V2" (or "S1"/"S2")
// read and write the raw signal the sensor keeps for the points.
//
// Calibrating is the one command of the tool that changes what the sensor
// reports as gas, so "Калибровка" asks first, naming the point and the
// value, and once the sensor has answered the panel says what it now reports
// for that point next to what was typed — marked when they differ, and
// marked loudly when a point queued for a cyclic poll was never sent.
class CalibPointsPanel : public WorkspacePanel {
    Q_OBJECT
public:
    enum Row { kC1 = 0, kC2 = 1, kRaw1 = 2, kRaw2 = 3 };

    struct Layout {
        QString caption;       // the group box; empty: none
        QSize sizeDlu;
        bool sensitivity = false; // S1/S2 (codes 28-30) instead of V1/V2 (0-2)
        QString c1, c2, raw1, raw2; // initial edit texts
    };

    // The line under the rows: what became of the last calibration.
    QLabel* Status() const { return status_; }
    // Whether the status shows a difference or a failure.
    bool StatusMarked() const { return marked_; }

protected:
    CalibPointsPanel(Engine& engine, WindowRegistry& windows, QWidget* parent, const Layout& layout);

    void OnActivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void ShowValues() override;
    void OnRequestRefused() override;

private:
    bool Confirm(int point);
    void SetStatus(const QString& text, bool marked);
    // The calibration the panel waits for has ended: say how.
    void Conclude(const SensorParameters& p);
    void CheckNotSent();

    QLabel* status_ = nullptr;
    bool marked_ = false;
    // The point last sent (1 or 2; 0 none) and its typed value, until the
    // sensor's answer is shown.
    int awaitedPoint_ = 0;
    QString awaitedValue_;
};
