#include "MoreloopSemiDlg.h"

#include "MoreloopValues.h"
#include "SensorParameters.h"
#include "StringTable.h"

using namespace MoreloopValues;

MoreloopSemiDlg::MoreloopSemiDlg(Engine& engine, WindowRegistry& windows, QWidget* page)
    : MoreloopDlg(engine, windows, page, QStringLiteral("MoreloopSemiDlg"), {
        {StringTable::kMoreHeaterTemperature, &CalibrationPollSettings::readTh,
         {{0, StringTable::kOnGraph, 3, [](const SensorParameters& p) { return ValueOf(p.thReading, 0); }}}},
        {StringTable::kMoreSensorResistance, &CalibrationPollSettings::readRp,
         {{0, StringTable::kOnGraph, 4, [](const SensorParameters& p) { return ValueOf(p.rpReading, 0); }}}},
        {StringTable::kMoreShuntVoltage, &CalibrationPollSettings::readPv,
         {{0, StringTable::kOnGraph, 5, [](const SensorParameters& p) { return FieldOf(p.pvValues, 0); }},
          {StringTable::kMoreHeaterVoltage, StringTable::kOnGraph, 6,
           [](const SensorParameters& p) { return FieldOf(p.pvValues, 1); }},
          {StringTable::kMoreLayerVoltage, StringTable::kOnGraph, 7,
           [](const SensorParameters& p) { return FieldOf(p.pvValues, 2); }}}},
        {StringTable::kMoreHeaterResistance, &CalibrationPollSettings::readRh,
         {{0, StringTable::kOnGraph, 8, [](const SensorParameters& p) { return ValueOf(p.rhReading, 0); }}}},
        {StringTable::kMorePwm, &CalibrationPollSettings::readPw,
         {{0, StringTable::kOnGraph, 9, [](const SensorParameters& p) { return TextOf(p.pw); }}}},
        {StringTable::kMoreAmbientTemperature, &CalibrationPollSettings::readSensorTemperature,
         {{0, StringTable::kOnGraph, 2, [](const SensorParameters& p) { return ValueOf(p.sensorTemperature, 0); }}}},
        {StringTable::kMoreHumidity, &CalibrationPollSettings::readSh,
         {{0, StringTable::kOnGraph, 10, [](const SensorParameters& p) { return ValueOf(p.shReading, 0); }}}},
    })
{
}
