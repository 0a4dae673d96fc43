#include "TerminalDialog.h"

#include "Engine.h"
#include "ForwardKey.h"

TerminalDialog::TerminalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent) : TabPage(engine, windows, parent)
{
    setObjectName(QStringLiteral("TerminalDialog"));
}
