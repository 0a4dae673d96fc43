#include "MoreloopTCatpwr.h"

#include "MoreloopValues.h"
#include "SensorParameters.h"
#include "StringTable.h"

using namespace MoreloopValues;

MoreloopTCatpwr::MoreloopTCatpwr(Engine& engine, WindowRegistry& windows, QWidget* page)
    : MoreloopDlg(engine, windows, page, QStringLiteral("MoreloopTCatpwr"), {
        {StringTable::kMoreHeaterTemperatures, &CalibrationPollSettings::readTh2,
         {{0, StringTable::kCat, 11, [](const SensorParameters& p) { return ValueOf(p.thReading, 0); }},
          {0, StringTable::kPlt, 12, [](const SensorParameters& p) { return ValueOf(p.thReading, 1); }}}},
        {StringTable::kMoreHeaterResistances, &CalibrationPollSettings::readRh2,
         {{0, StringTable::kCat, 13, [](const SensorParameters& p) { return ValueOf(p.rhReading, 0); }},
          {0, StringTable::kPlt, 14, [](const SensorParameters& p) { return ValueOf(p.rhReading, 1); }}}},
        {StringTable::kMoreHeaterPowers, &CalibrationPollSettings::readDw,
         {{0, StringTable::kCat, 15, [](const SensorParameters& p) { return ValueOf(p.dwReading, 0); }},
          {0, StringTable::kPlt, 16, [](const SensorParameters& p) { return ValueOf(p.dwReading, 1); }},
          {0, StringTable::kDp, 17, [](const SensorParameters& p) { return ValueOf(p.dwReading, 2); }}}},
    })
{
}
