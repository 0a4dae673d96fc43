#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include <QPointer>
#include <vector>

#include "CalibrationPollSettings.h"
#include "IntlogGraphFrame.h"
#include "MgMultiGraphFrame.h"
#include "SensorCalibrationLoopMeasurementsPoint.h"
#include "SensorKind.h"
#include "SensorKindTable.h"
#include "TabPage.h"

class FittedTextBox;
class GraphWnd;

class MgSelectChannelDlg;
class LmpProfileStore;
class MoreloopDlg;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class WorkspacePanel;

// The "Калибровка" page: the workspace in which the engineer watches the
// sensor's live measurements, tunes its settings, calibrates it and logs.
// The page owns the polling options, the graph and two text boxes; what
// depends on the sensor's kind lives in the panels and dialogs it creates
// once and shows by the kind. It composes the calibration poll's settings
// from its controls and hands them to the engine; it never touches a line.
class LinkNotice;
class CalibrationDialog : public TabPage {
    Q_OBJECT
public:
    // `profiles`: the thermo-correction profiles the polynomial dialogs of
    // the electrochemical and oxygen panels edit.
    CalibrationDialog(Engine& engine, WindowRegistry& windows, LmpProfileStore& profiles, QWidget* parent);
    ~CalibrationDialog() override;

    // The three lists' values in milliseconds, top to bottom.
    static const std::vector<std::uint32_t>& PollPeriodsMs();
    static const std::vector<std::uint32_t>& CyclePeriodsMs();
    static const std::vector<std::uint32_t>& HeatingTimesMs();
    // A list entry's text: "%u сек" for a whole second or more, else "%u мс".
    static QString PeriodText(std::uint32_t ms);

    void OnForwardKey(int key) override;

    // Whether the engine takes a single re-read or write now; every read and
    // write button of the workspace follows it.
    bool CommandsAccepted();

    // "Перечитать все (F2)".
    void OnRereadAll();
    // Composes the poll settings from the controls and the open
    // additional-parameters dialog and hands them to the engine.
    void ApplyPollSettings();
    void UpdateControls();
    void SelectGraphSeries();
    // "Еще...": the kind's additional-parameters dialog, the others closed.
    void OnMore();
    void CloseOtherMoreDialogs();

    // The controls, for the tests and the panels.
    QPushButton* RereadButton() const { return rereadButton_; }
    QPushButton* ChannelButton() const { return channelButton_; }
    QComboBox* PollPeriodList() const { return pollPeriod_; }
    QComboBox* CyclePeriodList() const { return cyclePeriod_; }
    QComboBox* HeatingTimeList() const { return heatingTime_; }
    QCheckBox* ConcentrationCheck() const { return concentration_; }
    QCheckBox* OnGraphCheck() const { return onGraph_; }
    QPushButton* MultigasCheck() const { return multigas_; }
    QPushButton* MoreButton() const { return moreButton_; }
    // What the page says of the polled line while it is lost and when it is back.
    LinkNotice* LinkNoticeLabel() const { return linkNotice_; }
    QPushButton* ToFileCheck() const { return toFile_; }
    QCheckBox* CyclicCheck() const { return cyclic_; }
    QPushButton* FactoryLoadButton() const { return factoryLoad_; }
    QPushButton* FactorySaveButton() const { return factorySave_; }
    QPushButton* LogButton() const { return logButton_; }
    QLabel* StatusLine() const { return status_; }
    GraphWnd* Graph() const { return graph_; }
    FittedTextBox* SensorLineBox() const { return sensorLine_; }
    FittedTextBox* ConcentrationBox() const { return concentrationBox_; }
    WorkspacePanel* SettingsPanel(int index) const;
    WorkspacePanel* CalibrationPanel(int index) const;
    MoreloopDlg* MoreDialog(int index) const;
    MgSelectChannelDlg* ChannelDialog() const { return channelDialog_; }
    // The multigas graph window while it is open.
    MgMultiGraphFrame* MultigasGraph() const { return multigasGraph_; }
    // The log graph window while it is open.
    IntlogGraphFrame* LogGraph() const { return logGraph_; }
    const QString& MeasurementFilePath() const { return filePath_; }
    // The series the graph shows (slot numbers, -1 unused).
    const std::array<int, 4>& GraphSeries() const { return series_; }

protected:
    void OnActivate() override;
    void OnDeactivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    void BuildControls();
    void ReadChecks();
    SensorKind CurrentKind();
    void ShowSensorLine();
    void ShowConcentration();
    void FillGraph();
    void SelectSettingsPanel();
    void SelectCalibrationPanel();
    void OnModeChanged(int oldMode, int newMode);
    void OnToFile();
    void OnLog();
    // What the line worker says about a measurement file it cannot keep.
    void ShowMeasurementFileTrouble();
    void OnFactoryLoad();
    void OnMultigas();
    void OnChannel();
    void ShowChannelCaption();
    void CloseMultigasGraph();
    void OpenLogGraph();
    MoreloopDlg* OpenMoreDialog() const;
    static bool RereadAllowed(int mode);
    static bool PollIdle(int mode);

    // Check boxes as last read from the controls.
    bool concentrationOn_ = true;
    bool onGraphOn_ = true;
    bool multigasOn_ = false;
    bool toFileOn_ = false;
    bool cyclicOn_ = false;
    QString filePath_;

    QPushButton* rereadButton_ = nullptr;
    QPushButton* channelButton_ = nullptr;
    QComboBox* pollPeriod_ = nullptr;
    QComboBox* cyclePeriod_ = nullptr;
    QComboBox* heatingTime_ = nullptr;
    QCheckBox* concentration_ = nullptr;
    QCheckBox* onGraph_ = nullptr;
    QPushButton* multigas_ = nullptr;
    QPushButton* moreButton_ = nullptr;
    QPushButton* toFile_ = nullptr;
    QCheckBox* cyclic_ = nullptr;
    QPushButton* factoryLoad_ = nullptr;
    QPushButton* factorySave_ = nullptr;
    QPushButton* logButton_ = nullptr;
    QLabel* status_ = nullptr;
    LinkNotice* linkNotice_ = nullptr;
    FittedTextBox* sensorLine_ = nullptr;
    FittedTextBox* concentrationBox_ = nullptr;
    GraphWnd* graph_ = nullptr;

    std::array<WorkspacePanel*, SensorKindTable::kSettingsPanelCount> settingsPanels_{};
    std::array<WorkspacePanel*, SensorKindTable::kCalibrationPanelCount> calibrationPanels_{};
    std::array<MoreloopDlg*, SensorKindTable::kMoreDialogCount> moreDialogs_{};
    MgSelectChannelDlg* channelDialog_ = nullptr;
    QPointer<MgMultiGraphFrame> multigasGraph_;
    QPointer<IntlogGraphFrame> logGraph_;
    SensorKind settingsKind_ = SensorKind::Unknown;
    SensorKind calibrationKind_ = SensorKind::Unknown;
    // Whether an additional-parameters dialog and the channel dialog were
    // open when the page was last left; the first visit opens the former.
    bool moreWasOpen_ = true;
    bool channelWasOpen_ = false;

    std::array<int, 4> series_{0, -1, -1, -1};
    std::vector<SensorCalibrationLoopMeasurementsPoint> points_;
};
