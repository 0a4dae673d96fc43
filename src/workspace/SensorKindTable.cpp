#include "SensorKindTable.h"

#include <iterator>

namespace SensorKindTable {

namespace {

struct Row {
    SettingsPanel settings;
    CalibrationPanel calibration;
    MoreDialog more;
    Capabilities capabilities;
};

// Indexed by the kind's number, 0 … 10.
constexpr Row kRows[] = {
    {kEmpty, kNoPanel, kNoDialog, {false, false}},                        // unknown
    {kOpto, kCalibCv, kNoDialog, {false, false}},                         // OptoDyn
    {kOpto, kNoPanel, kNoDialog, {false, false}},                         // OptoMIP
    {kElchem, kCalibCv, kMoreElchem, {true, false}},                      // Elchem, ElchLP
    {kOksik, kCalibCv, kMoreElchem, {true, false}},                       // Oksik
    {kSelectSemi, kCalibSelectSemi, kMoreSemi, {true, true}},             // Semi
    {kEmpty, kNoPanel, kNoDialog, {false, true}},                         // SemiCycl
    {kTCatBrdg, kCalibCv, kMoreTCatBrdg, {true, true}},                   // TcatBrdg
    {kSelectTCatpwr, kCalibSelectTCatpwr, kMoreTCatpwr, {true, true}},    // TcatPWR
    {kEmpty, kNoPanel, kNoDialog, {false, true}},                         // CondTerm
    {kEmpty, kNoPanel, kNoDialog, {false, true}},                         // CondConv
};

const Row& RowOf(SensorKind kind)
{
    const int k = static_cast<int>(kind);
    return (k >= 0 && k < int(std::size(kRows))) ? kRows[k] : kRows[0];
}

} // namespace

SettingsPanel SettingsPanelOf(SensorKind kind) { return RowOf(kind).settings; }
CalibrationPanel CalibrationPanelOf(SensorKind kind) { return RowOf(kind).calibration; }
MoreDialog MoreDialogOf(SensorKind kind) { return RowOf(kind).more; }

} // namespace SensorKindTable

SensorKindTable::Capabilities KindCapabilities(SensorKind kind)
{
    return SensorKindTable::RowOf(kind).capabilities;
}
