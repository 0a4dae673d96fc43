#include "QuitSignals.h"

// A Windows GUI program receives no console signals; the session's end
// arrives through the application object (commitDataRequest).
struct QuitSignals::Os {};

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {}

QuitSignals::~QuitSignals() = default;

bool QuitSignals::Install()
{
    return true;
}

void QuitSignals::Remove() {}

bool QuitSignals::Installed() const
{
    return false;
}
