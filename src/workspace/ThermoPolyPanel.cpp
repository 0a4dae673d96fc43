#include "ThermoPolyPanel.h"

#include <QPushButton>

#include "IntdlgElchemPoly.h"
#include "StringTable.h"

ThermoPolyPanel::ThermoPolyPanel(Engine& engine, WindowRegistry& windows, QWidget* parent, LmpProfileStore& profiles,
                                 int profileKind, QSize sizeDlu)
    : WorkspacePanel(engine, windows, parent, StringTable::Get(StringTable::kSettingsGroup), sizeDlu),
      profiles_(profiles), profileKind_(profileKind)
{
}

ThermoPolyPanel::~ThermoPolyPanel() = default;

IntdlgElchemPoly* ThermoPolyPanel::PolyDialog() const
{
    return poly_.data();
}

QPushButton* ThermoPolyPanel::NewPolyButton()
{
    polyButton_ = new QPushButton(StringTable::Get(StringTable::kPolyTitle), Surface());
    polyButton_->setObjectName(QStringLiteral("PolyButton"));
    polyButton_->setAutoDefault(false);
    connect(polyButton_, &QPushButton::clicked, this, &ThermoPolyPanel::OpenPolyDialog);
    return polyButton_;
}

void ThermoPolyPanel::OpenPolyDialog()
{
    if (poly_ && poly_->isVisible())
        return;
    // A dialog closed a moment ago waits for its deferred deletion.
    delete poly_.data();
    poly_ = new IntdlgElchemPoly(engine(), windows(), profiles_, profileKind_, this);
    // Above the panel, so the panel's own rows stay in sight.
    poly_->Open(mapToGlobal(QPoint(0, 0)) - QPoint(0, 100));
}

void ThermoPolyPanel::OnDeactivate()
{
    WorkspacePanel::OnDeactivate();
    if (poly_)
        delete poly_.data();
}
