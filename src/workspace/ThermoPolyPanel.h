#pragma once

#include <QPointer>

#include "WorkspacePanel.h"

class IntdlgElchemPoly;
class LmpProfileStore;
class QPushButton;

// A settings panel with the button "Параметры полинома термокоррекции",
// which opens the polynomial dialog for the panel's profile kind (the
// electrochemical and the oxygen sensors). The dialog belongs to the panel:
// it goes when the panel is hidden.
class ThermoPolyPanel : public WorkspacePanel {
    Q_OBJECT
public:
    ~ThermoPolyPanel() override;

    // The dialog, while it is open; null otherwise.
    IntdlgElchemPoly* PolyDialog() const;
    QPushButton* PolyButton() const { return polyButton_; }
    // Opens the dialog; nothing happens when it is open already.
    void OpenPolyDialog();

protected:
    ThermoPolyPanel(Engine& engine, WindowRegistry& windows, QWidget* parent, LmpProfileStore& profiles,
                    int profileKind, QSize sizeDlu);

    // The button, for the panel's layout.
    QPushButton* NewPolyButton();
    void OnDeactivate() override;

private:
    LmpProfileStore& profiles_;
    const int profileKind_;
    QPushButton* polyButton_ = nullptr;
    QPointer<IntdlgElchemPoly> poly_;
};
