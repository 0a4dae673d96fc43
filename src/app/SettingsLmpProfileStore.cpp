#include "SettingsLmpProfileStore.h"

#include "Settings.h"

void SettingsLmpProfileStore::Load(int kind)
{
    Settings::LoadLmpProfiles(kind);
}

void SettingsLmpProfileStore::Save(int kind)
{
    Settings::SaveLmpProfiles(kind);
}

QStringList SettingsLmpProfileStore::Names(int kind) const
{
    return Settings::LmpProfileNames(kind);
}

bool SettingsLmpProfileStore::Find(int kind, const QString& name, QStringList& values) const
{
    return Settings::FindLmpProfile(kind, name, values);
}

bool SettingsLmpProfileStore::Store(int kind, const QString& name, const QStringList& values)
{
    return Settings::StoreLmpProfile(kind, name, values);
}
