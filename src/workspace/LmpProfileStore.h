#pragma once

#include <QString>
#include <QStringList>

// The named thermo-correction profiles, as the polynomial dialog uses them:
// one ordered list per profile kind (the electrochemical sensors' and the
// other kinds'), names compared case-sensitively, five coefficient texts
// each, kept as typed. The settings store implements it; the workspace
// only sees this.
class LmpProfileStore {
public:
    virtual ~LmpProfileStore() = default;

    // The kind's list, read again from the store.
    virtual void Load(int kind) = 0;
    // The kind's list, written to the store.
    virtual void Save(int kind) = 0;
    // The profile names in list order.
    virtual QStringList Names(int kind) const = 0;
    // True with the five values of the profile named exactly `name`.
    virtual bool Find(int kind, const QString& name, QStringList& values) const = 0;
    // Replaces the values of the profile named exactly `name` in place
    // (false) or appends a new profile (true). Nothing is written until
    // Save.
    virtual bool Store(int kind, const QString& name, const QStringList& values) = 0;
};
