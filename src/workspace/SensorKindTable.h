#pragma once

#include "SensorKind.h"

// What the calibration workspace shows for each sensor kind: which settings
// panel, which calibration panel, which additional-parameters dialog, and
// whether the kind has additional parameters and a cyclic heating mode.
namespace SensorKindTable {

// The settings panels, in the order the page creates them.
enum SettingsPanel : int {
    kElchem = 0,
    kOksik = 1,
    kEmpty = 2,
    kTCatBrdg = 3,
    kSelectSemi = 4,
    kSelectTCatpwr = 5,
    kOpto = 6,
    kSettingsPanelCount = 7,
};

// The calibration panels; kNoPanel for kinds that have none.
enum CalibrationPanel : int {
    kNoPanel = -1,
    kCalibCv = 0,
    kCalibSelectSemi = 1,
    kCalibSelectTCatpwr = 2,
    kCalibrationPanelCount = 3,
};

// The additional-parameters dialogs; kNoDialog for kinds without one.
enum MoreDialog : int {
    kNoDialog = -1,
    kMoreSemi = 0,
    kMoreElchem = 1,
    kMoreTCatBrdg = 2,
    kMoreTCatpwr = 3,
    kMoreDialogCount = 4,
};

struct Capabilities {
    bool hasMoreParameters = false;
    bool cyclicMode = false;
    bool operator==(const Capabilities&) const = default;
};

SettingsPanel SettingsPanelOf(SensorKind kind);
CalibrationPanel CalibrationPanelOf(SensorKind kind);
MoreDialog MoreDialogOf(SensorKind kind);

} // namespace SensorKindTable

// The concentration, graph and multigas options are open to every kind; the
// additional parameters and the cyclic mode are not.
SensorKindTable::Capabilities KindCapabilities(SensorKind kind);
