#include "ThJournalDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

ThJournalDialog::ThJournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("ThJournalDialog"));
}

void ThJournalDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
    else if (key == ForwardKey::kEscape)
        OnAbort();
}

void ThJournalDialog::OnRead()
{
    if (Engine::IsSteadyMode(engine().mode))
        engine().ReadThresholdJournal();
}

void ThJournalDialog::OnAbort()
{
    engine().AbortThresholdJournal();
}
