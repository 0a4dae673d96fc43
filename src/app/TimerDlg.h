#pragma once

#include <QDialog>
#include <QImage>
#include <QString>
#include <QTimer>

#include <cstdint>

#include "TCommonTextDraw.h"

class ITimeSource;
class QPushButton;
class QWidget;

// "Таймер": a minutes-and-seconds stopwatch beside the main window, with no
// link to the device. It takes its time from a monotonic millisecond clock,
// so a change of the laptop's clock does not make it jump. The window is
// created on demand; closing it destroys it, and the next one starts stopped
// at 00:00.
class TimerDlg : public QDialog {
    Q_OBJECT
public:
    // The screen refreshes twice a second while the stopwatch runs.
    static constexpr int kTickPeriodMs = 500;
    static constexpr int kMaxFontHeight = 200;
    // The window's size in dialog units.
    static constexpr int kWidthDlu = 215;
    static constexpr int kHeightDlu = 108;

    explicit TimerDlg(ITimeSource& clock, QWidget* parent = nullptr);

    // Shows the window with its top-left corner at `topLeft` (the main
    // window's), stopped at 00:00.
    void Open(const QPoint& topLeft);

    // "%02d:%02d": minutes (not capped at 59) and seconds.
    static QString ElapsedText(std::uint32_t elapsedMs);

    QString Text() const { return text_; }
    bool IsRunning() const { return running_; }
    bool IsTicking() const { return tick_.isActive(); }
    QPushButton* StartButton() const { return start_; }
    QPushButton* StopButton() const { return stop_; }
    QPushButton* ResetButton() const { return reset_; }
    // The drawing area's picture, as the last redraw left it.
    const QImage& Face() const { return face_; }
    int FontHeight() const { return textDraw_.CurrentHeight(); }

public slots:
    void OnStart();
    void OnStop();
    void OnReset();
    // The refresh timer: while running, the display follows the clock.
    void OnTick();
    // Enter does nothing.
    void accept() override;
    // Esc and the close box destroy the window.
    void reject() override;

private:
    class FaceWidget;

    void Redraw();

    ITimeSource& clock_;
    FaceWidget* area_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* reset_ = nullptr;
    QTimer tick_;
    bool running_ = false;
    std::uint32_t startTick_ = 0;
    std::uint32_t currentTick_ = 0;
    QString text_;
    QImage face_;
    TCommonTextDraw textDraw_{kMaxFontHeight};
};
