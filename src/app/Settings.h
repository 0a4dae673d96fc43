#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

#include <optional>

// The per-user settings store: organisation "Korvan", application
// "KorvanSensorSetup" (on Windows the registry, on Linux an INI file in the
// per-user config folder). Every function works on the one AppContext, on
// the user-interface thread. A store that cannot be written is ignored: the
// values stay in memory for this run.
namespace Settings {

// A thermo-correction profile: the polynomial coefficients K0 to K4 exactly
// as the user typed them. The name is compared case-sensitively.
struct LmpPolyProfile {
    QString name;
    QStringList values; // five texts
};

inline constexpr int kDefaultMgCount = 10;
inline constexpr int kMinMgCount = 2;
inline constexpr int kMaxMgCount = 20;
inline constexpr const char* kDefaultManufacturerPassword = "47093518";
inline constexpr const char* kDefaultCalibrationPassword = "680429";
// The sensor kind code of the electrochemical sensors; every other kind
// keeps its profiles in the second list.
inline constexpr int kElectrochemicalKind = 3;
inline constexpr int kProfileValueCount = 5;

void LoadConnection();
void SaveConnection();
void LoadWords();
// Writes both passwords; the manufacturer password goes back unchanged.
void SaveWords();

void LoadLmpProfiles(int kind);
void SaveLmpProfiles(int kind);
// True with the five values of the profile named exactly `name`; false with
// `values` empty.
bool FindLmpProfile(int kind, const QString& name, QStringList& values);
// The names of the kind's list, in list order.
QStringList LmpProfileNames(int kind);
// Replaces the coefficients of an existing profile in place (false) or
// appends a new one (true), from the first five of `values`. Nothing is
// saved until SaveLmpProfiles.
bool StoreLmpProfile(int kind, const QString& name, const QStringList& values);

// The store's section for a sensor kind.
QString LmpSection(int kind);

// Where the main window stood when it was last closed ("MainWindow":
// "Left", "Top", "Width", "Height" of its client area, "Maximized").
struct WindowPlacement {
    QRect geometry;
    bool maximized = false;
};
// None when the store holds no complete, non-empty placement.
std::optional<WindowPlacement> LoadWindowPlacement();
void SaveWindowPlacement(const WindowPlacement& placement);

} // namespace Settings
