#include "Settings.h"

#include <QSettings>

#include <algorithm>
#include <vector>

#include "AppContext.h"

namespace Settings {

namespace {

const QString kOrganisation = QStringLiteral("Korvan");
const QString kApplication = QStringLiteral("KorvanSensorSetup");

std::vector<LmpPolyProfile>& ProfilesOf(int kind)
{
    AppContext& app = AppContext::Get();
    return kind == kElectrochemicalKind ? app.lmpProfiles : app.oksikLmpProfiles;
}

QString NameKey(int position)
{
    return QStringLiteral("Name_%1").arg(position);
}

QString ValueKey(int position, int index)
{
    return QStringLiteral("Value_%1_%2").arg(position).arg(index);
}

// The first five values, padded with empty texts: a profile always holds
// exactly five coefficients.
QStringList FiveValues(const QStringList& values)
{
    QStringList five = values.mid(0, kProfileValueCount);
    while (five.size() < kProfileValueCount)
        five.append(QString());
    return five;
}

int ReadInt(QSettings& s, const QString& key, int fallback)
{
    bool ok = false;
    const int value = s.value(key, fallback).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

QString LmpSection(int kind)
{
    return kind == kElectrochemicalKind ? QStringLiteral("LmpProfiles") : QStringLiteral("OksikLmpProfiles");
}

void LoadConnection()
{
    AppContext& app = AppContext::Get();
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(QStringLiteral("Connection"));
    app.modbusPort = ReadInt(s, QStringLiteral("ModbusPort"), 0);
    app.hartPort = ReadInt(s, QStringLiteral("HartPort"), 0);
    app.mgPort = ReadInt(s, QStringLiteral("MgPort"), 0);
    app.mgCount = std::max(ReadInt(s, QStringLiteral("MgCount"), kDefaultMgCount), kMinMgCount);
    s.endGroup();
}

void SaveConnection()
{
    const AppContext& app = AppContext::Get();
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(QStringLiteral("Connection"));
    s.setValue(QStringLiteral("ModbusPort"), app.modbusPort);
    s.setValue(QStringLiteral("HartPort"), app.hartPort);
    s.setValue(QStringLiteral("MgPort"), app.mgPort);
    s.setValue(QStringLiteral("MgCount"), app.mgCount);
    s.endGroup();
    s.sync();
}

void LoadWords()
{
    AppContext& app = AppContext::Get();
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(QStringLiteral("Words"));
    app.manufacturerPassword = s.value(QStringLiteral("Wr"), QString::fromLatin1(kDefaultManufacturerPassword)).toString();
    app.calibrationPassword = s.value(QStringLiteral("St"), QString::fromLatin1(kDefaultCalibrationPassword)).toString();
    s.endGroup();
}

void SaveWords()
{
    const AppContext& app = AppContext::Get();
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(QStringLiteral("Words"));
    s.setValue(QStringLiteral("Wr"), app.manufacturerPassword);
    s.setValue(QStringLiteral("St"), app.calibrationPassword);
    s.endGroup();
    s.sync();
}

void LoadLmpProfiles(int kind)
{
    std::vector<LmpPolyProfile>& list = ProfilesOf(kind);
    list.clear();
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(LmpSection(kind));
    const int count = ReadInt(s, QStringLiteral("Count"), 0);
    for (int i = 0; i < count; ++i) {
        LmpPolyProfile p;
        p.name = s.value(NameKey(i), QString()).toString();
        // A deleted or never written position leaves no gap in the list.
        if (p.name.isEmpty())
            continue;
        for (int k = 0; k < kProfileValueCount; ++k)
            p.values.append(s.value(ValueKey(i, k), QString()).toString());
        list.push_back(std::move(p));
    }
    s.endGroup();
}

void SaveLmpProfiles(int kind)
{
    const std::vector<LmpPolyProfile>& list = ProfilesOf(kind);
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(LmpSection(kind));
    s.setValue(QStringLiteral("Count"), static_cast<int>(list.size()));
    // Entries above the new count stay in the store; loading never reads
    // past Count.
    for (int p = 0; p < static_cast<int>(list.size()); ++p) {
        s.setValue(NameKey(p), list[p].name);
        const QStringList five = FiveValues(list[p].values);
        for (int k = 0; k < kProfileValueCount; ++k)
            s.setValue(ValueKey(p, k), five[k]);
    }
    s.endGroup();
    s.sync();
}

bool FindLmpProfile(int kind, const QString& name, QStringList& values)
{
    values.clear();
    for (const LmpPolyProfile& p : ProfilesOf(kind)) {
        if (p.name == name) {
            values = FiveValues(p.values);
            return true;
        }
    }
    return false;
}

QStringList LmpProfileNames(int kind)
{
    QStringList names;
    for (const LmpPolyProfile& p : ProfilesOf(kind))
        names.append(p.name);
    return names;
}

bool StoreLmpProfile(int kind, const QString& name, const QStringList& values)
{
    std::vector<LmpPolyProfile>& list = ProfilesOf(kind);
    for (LmpPolyProfile& p : list) {
        if (p.name == name) {
            p.values = FiveValues(values);
            return false;
        }
    }
    list.push_back({name, FiveValues(values)});
    return true;
}

std::optional<WindowPlacement> LoadWindowPlacement()
{
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(QStringLiteral("MainWindow"));
    const QStringList keys = {QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Width"),
                              QStringLiteral("Height")};
    int v[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = s.value(keys[i]).toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return std::nullopt;
    WindowPlacement p;
    p.geometry = QRect(v[0], v[1], v[2], v[3]);
    p.maximized = s.value(QStringLiteral("Maximized"), 0).toInt() != 0;
    return p;
}

void SaveWindowPlacement(const WindowPlacement& placement)
{
    QSettings s(kOrganisation, kApplication);
    s.beginGroup(QStringLiteral("MainWindow"));
    s.setValue(QStringLiteral("Left"), placement.geometry.x());
    s.setValue(QStringLiteral("Top"), placement.geometry.y());
    s.setValue(QStringLiteral("Width"), placement.geometry.width());
    s.setValue(QStringLiteral("Height"), placement.geometry.height());
    s.setValue(QStringLiteral("Maximized"), placement.maximized ? 1 : 0);
}

} // namespace Settings
