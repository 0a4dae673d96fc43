#pragma once

#include "LmpProfileStore.h"

// The thermo-correction profiles of the per-user settings store ("LmpProfiles"
// for the electrochemical sensors, "OksikLmpProfiles" for the others), kept
// in the AppContext's two lists.
class SettingsLmpProfileStore : public LmpProfileStore {
public:
    void Load(int kind) override;
    void Save(int kind) override;
    QStringList Names(int kind) const override;
    bool Find(int kind, const QString& name, QStringList& values) const override;
    bool Store(int kind, const QString& name, const QStringList& values) override;
};
