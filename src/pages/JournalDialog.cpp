#include "JournalDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

JournalDialog::JournalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("JournalDialog"));
}

void JournalDialog::OnForwardKey(int key)
{
    if (key == ForwardKey::kF2)
        OnRead();
    else if (key == ForwardKey::kEscape)
        OnAbort();
}

void JournalDialog::OnRead()
{
    if (Engine::IsSteadyMode(engine().mode))
        engine().ReadEventJournal();
}

void JournalDialog::OnAbort()
{
    engine().AbortEventJournal();
}
