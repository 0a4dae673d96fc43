#include "MoreloopElchemDlg.h"

#include "MoreloopValues.h"
#include "SensorParameters.h"
#include "StringTable.h"

using namespace MoreloopValues;

MoreloopElchemDlg::MoreloopElchemDlg(Engine& engine, WindowRegistry& windows, QWidget* page)
    : MoreloopDlg(engine, windows, page, QStringLiteral("MoreloopElchemDlg"), {
        {StringTable::kMoreAdc, &CalibrationPollSettings::readAdc,
         {{0, StringTable::kOnGraph, 1, [](const SensorParameters& p) { return TextOf(p.adc); }}}},
        {StringTable::kMoreAmbientTemperature, &CalibrationPollSettings::readSensorTemperature,
         {{0, StringTable::kOnGraph, 2, [](const SensorParameters& p) { return ValueOf(p.sensorTemperature, 0); }}}},
    })
{
}
