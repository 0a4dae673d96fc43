#pragma once

#include <QString>

#include <vector>

#include "Engine.h"
#include "QtWindowPoster.h"
#include "Settings.h"
#include "SettingsLmpProfileStore.h"
#include "WindowRegistry.h"

// The one process-wide object: the settings as loaded, the window table
// through which the engine reaches the widgets, and the engine itself. It is
// created at start-up before any window and destroyed after the last one.
// The engine's workers never read these settings fields: the main window
// hands the engine its own copies.
class AppContext {
public:
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The instance every window reaches; only valid while one exists.
    static AppContext& Get();
    static bool Exists();

    int modbusPort = 0; // 0 or less: not set
    int hartPort = 0;
    int mgPort = 0;
    int mgCount = 10;   // 2 to 20
    QString manufacturerPassword;
    QString calibrationPassword;
    std::vector<Settings::LmpPolyProfile> lmpProfiles;
    std::vector<Settings::LmpPolyProfile> oksikLmpProfiles;
    // The two lists as the polynomial dialog reaches them.
    SettingsLmpProfileStore lmpProfileStore;

    WindowRegistry windows;
    QtWindowPoster poster{windows};
    // Declared last so that it goes first: its workers post through the
    // poster until they have stopped.
    Engine engine{&poster};
};
