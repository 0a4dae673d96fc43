#pragma once

#include <array>
#include <cstdint>

#include "IntlogTables.h"
#include "WorkspacePanel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
struct SensorCommandRequest;

// The second tab of the semiconductor and power-balance settings holders:
// the heater's temperature and PID coefficients, the sensor's measurement
// log parameters, and the log itself — created on the sensor, read into the
// list, saved as "intlog.csv" and plotted in the page's log graph window.
//
// Showing the tab takes the line from the calibration page (its poll
// stops), because a log read holds the line until the sensor has nothing
// more to send. What was read stays in the list and can be saved whatever
// ended the read: the end of the log, a silent sensor or a pulled cable.
class IntdlgLogBase : public WorkspacePanel {
    Q_OBJECT
public:
    using Panel = IntlogTables::Panel;

    // The page's window and its two messages: the one that makes the page
    // drop its poll, and the one that opens the log graph.
    void SetLogMessages(WindowHandle page, std::uint32_t stopMessage, std::uint32_t graphMessage);

    Panel Kind() const { return panel_; }

    // The controls, for the tests.
    QPushButton* HeaterButton() const { return heater_; }
    QLineEdit* HeaterTemperatureValue() const { return tgValue_; }
    QLineEdit* HeaterTemperatureEdit() const { return tgEdit_; }
    QPushButton* HeaterTemperatureRead() const { return tgRead_; }
    QPushButton* HeaterTemperatureWrite() const { return tgWrite_; }
    QLineEdit* PidValue(int i) const { return piValue_.at(std::size_t(i)); }
    QLineEdit* PidEdit(int i) const { return piEdit_.at(std::size_t(i)); }
    QPushButton* PidRead() const { return piRead_; }
    QPushButton* PidWrite() const { return piWrite_; }
    QComboBox* ParameterList(int i) const { return pLists_.at(std::size_t(i)); }
    QComboBox* PeriodList() const { return period_; }
    QPushButton* ParametersRead() const { return lpRead_; }
    QPushButton* ParametersWrite() const { return lpWrite_; }
    QPushButton* CreateButton() const { return create_; }
    // The power-balance panel's "Условие запуска" and "канал"; null on the
    // semiconductor panel.
    QComboBox* StartConditionList() const { return startCondition_; }
    QComboBox* ChannelList() const { return channel_; }
    QTreeWidget* LogList() const { return list_; }
    QLabel* CountLabel() const { return count_; }
    QPushButton* LogRead() const { return logRead_; }
    QPushButton* SaveButton() const { return save_; }
    QPushButton* GraphButton() const { return graph_; }
    QLabel* StatusLine() const { return status_; }

    // The buttons' states, from the engine's mode and a fresh snapshot.
    void UpdateControls();
    // The sensor's values into the boxes, the heater caption and the lists.
    void ShowValues();
    void ShowColumnCaptions();
    void RefillList();

    void OnHeaterSwitch();
    void OnReadHeaterTemperature();
    void OnWriteHeaterTemperature();
    void OnReadPid();
    void OnWritePid();
    void OnReadParameters();
    void OnWriteParameters();
    // "Создать": the kind's own way of starting a new log on the sensor.
    virtual void OnCreate() = 0;
    void OnReadLog();
    void OnSave();
    void OnGraph();

protected:
    struct Initial {
        const char* heaterTemperature;
        std::array<const char*, 3> pid;
    };
    IntdlgLogBase(Engine& engine, WindowRegistry& windows, QWidget* parent, Panel panel, const Initial& initial);

    // Whether "Создать" may be pressed now, given the common conditions.
    virtual bool CreateAllowed(bool accept, bool plain, bool configured, const struct SensorParameters& p) const = 0;

    // Empties the list and the count label: the sensor is about to start a
    // new log, and the old rows must not pass for it.
    void ClearList();
    // Hands a write to the engine; a refusal only brings the buttons up to
    // date.
    void Write(const SensorCommandRequest& request);
    // A request the engine refused: the buttons and the list as they are.
    void Refused();
    QPushButton* NewButton(int textId, const char* name);

    void OnActivate() override;
    void OnDeactivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls(const Initial& initial);
    void OnLogChanged(std::size_t count);
    void AppendRows(std::size_t from);
    void FitColumns();
    void OnModeChanged(int oldMode, int newMode);
    void Post(std::uint32_t message);

    Panel panel_;
    WindowHandle page_;
    std::uint32_t stopMessage_ = 0;
    std::uint32_t graphMessage_ = 0;

    QPushButton* heater_ = nullptr;
    QLineEdit* tgValue_ = nullptr;
    QLineEdit* tgEdit_ = nullptr;
    QPushButton* tgRead_ = nullptr;
    QPushButton* tgWrite_ = nullptr;
    std::array<QLineEdit*, 3> piValue_{};
    std::array<QLineEdit*, 3> piEdit_{};
    QPushButton* piRead_ = nullptr;
    QPushButton* piWrite_ = nullptr;
    std::array<QComboBox*, 3> pLists_{};
    QComboBox* period_ = nullptr;
    QPushButton* lpRead_ = nullptr;
    QPushButton* lpWrite_ = nullptr;
    QComboBox* startCondition_ = nullptr;
    QComboBox* channel_ = nullptr;
    QPushButton* create_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* logRead_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* graph_ = nullptr;
    QLabel* status_ = nullptr;
};
