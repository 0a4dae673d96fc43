#pragma once

#include <QDialog>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CalibrationPollSettings.h"
#include "WindowHandle.h"

class Engine;
class QCheckBox;
class QLabel;
class WindowRegistry;
struct SensorParameters;

// "Дополнительные параметры": a small modeless window of the calibration
// page in which the engineer chooses the values, besides the concentration,
// that the calibration poll reads and the ones it puts on the graph. Each
// line has a read check box that selects one read of the poll, and one or
// more values, each with its last reading and its own "на график" box.
//
// The dialog does no device work: it keeps the check states (they outlive
// the window, which closes and opens again), shows the values of the last
// poll and tells the page when a selection changed. Each sensor kind with
// additional parameters has its own subclass that only lists its lines.
class MoreloopDlg : public QDialog {
    Q_OBJECT
public:
    struct Value {
        int labelId = 0;        // text before the value (0: none)
        int graphCaptionId = 0; // the graph box's caption
        int graphSlot = 0;      // slot of the poll point
        std::function<std::string(const SensorParameters&)> text; // windows-1251, empty when unknown
    };
    struct Line {
        int captionId = 0;
        std::int32_t CalibrationPollSettings::*readFlag = nullptr;
        std::vector<Value> values;
    };

    ~MoreloopDlg() override;

    // Shows the window with its top-left corner at `corner` (screen
    // coordinates), registers for the sensor record and tells `owner` that
    // both selections changed. Nothing happens when it is open already.
    bool Open(QPoint corner, WindowHandle owner, std::uint32_t message);
    bool IsOpen() const { return open_; }
    // Takes the window down (Esc, the close box, the page): unregisters and
    // tells the owner that both selections changed.
    void CloseWindow();

    // Every read check state becomes 0; the graph states stay.
    void ClearReadSelection();
    // Sets the poll's read flags of the checked lines.
    void ApplyReadFlags(CalibrationPollSettings& settings) const;
    // Appends, in the order of the lines, the slots whose read box and graph
    // box are both checked.
    void AppendGraphSeries(std::vector<int>& series) const;

    const std::vector<Line>& Lines() const { return lines_; }
    QCheckBox* ReadBox(std::size_t line) const;
    QCheckBox* GraphBox(std::size_t line, std::size_t value) const;
    QLabel* ValueText(std::size_t line, std::size_t value) const;
    WindowHandle Handle() const { return handle_; }

public slots:
    void accept() override;
    void reject() override;

protected:
    MoreloopDlg(Engine& engine, WindowRegistry& windows, QWidget* page, const QString& objectName,
                std::vector<Line> lines);

    void closeEvent(QCloseEvent* event) override;
    void customEvent(QEvent* event) override;

private:
    void ShowValues();
    void OnCheckClicked(bool readBox);
    void TakeStates();
    void PostToOwner(std::uintptr_t bits);

    Engine& engine_;
    WindowRegistry& windows_;
    WindowHandle handle_;
    std::vector<Line> lines_;
    // One state per check box, as the engineer left it.
    std::vector<std::uint32_t> readChecked_;
    std::vector<std::vector<std::uint32_t>> graphChecked_;
    std::vector<QCheckBox*> readBoxes_;
    std::vector<std::vector<QCheckBox*>> graphBoxes_;
    std::vector<std::vector<QLabel*>> valueTexts_;
    bool open_ = false;
    WindowHandle owner_;
    std::uint32_t message_ = 0;
};
