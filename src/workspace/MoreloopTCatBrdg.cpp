#include "MoreloopTCatBrdg.h"

#include "MoreloopValues.h"
#include "SensorParameters.h"
#include "StringTable.h"

using namespace MoreloopValues;

MoreloopTCatBrdg::MoreloopTCatBrdg(Engine& engine, WindowRegistry& windows, QWidget* page)
    : MoreloopDlg(engine, windows, page, QStringLiteral("MoreloopTCatBrdg"), {
        {StringTable::kMoreAdc, &CalibrationPollSettings::readAdc,
         {{0, StringTable::kOnGraph, 1, [](const SensorParameters& p) { return TextOf(p.adc); }}}},
    })
{
}
