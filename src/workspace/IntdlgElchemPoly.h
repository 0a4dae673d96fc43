#pragma once

#include <QDialog>
#include <QPoint>
#include <QStringList>

#include <cstdint>

#include "WindowHandle.h"

class Engine;
class LmpProfileStore;
class QComboBox;
class QPushButton;
class SettingsRow;
class WindowRegistry;

// "Параметры полинома термокоррекции": the five coefficients K0 to K4 of the
// sensor's thermo-correction polynomial, read and written as one, and the
// named profiles the engineer keeps them in (one list per profile kind).
// A modeless tool window of its panel, created when the panel's button is
// pressed and destroyed when it is closed.
class IntdlgElchemPoly : public QDialog {
    Q_OBJECT
public:
    IntdlgElchemPoly(Engine& engine, WindowRegistry& windows, LmpProfileStore& profiles, int kind, QWidget* owner);
    ~IntdlgElchemPoly() override;

    // Shows the window at `corner` (screen coordinates) with the sensor's
    // coefficients, the kind's profiles from the store, the last one
    // selected and loaded into the edits; registers for the engine.
    void Open(QPoint corner);

    int Kind() const { return kind_; }
    // "Прочитать" and "Записать" follow whether the engine takes a command;
    // "Сохранить" is always there.
    void UpdateControls();
    void ShowValues();
    // The profile `name` into the edits; "1", "0", "0", "0", "0" when there
    // is none of that name.
    void LoadProfile(const QString& name);
    // "Сохранить": the edits as the profile named in the combo box.
    void OnSave();

    SettingsRow* Coefficients() const { return coefficients_; }
    QComboBox* ProfileBox() const { return profileBox_; }
    QPushButton* SaveButton() const { return saveButton_; }
    WindowHandle Handle() const { return handle_; }

    // The edits' texts when no profile is loaded.
    static QStringList DefaultValues();

public slots:
    // Enter does nothing; Esc closes (and so destroys) the dialog.
    void accept() override;

protected:
    void customEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillProfiles(const QString& select);
    QStringList EditTexts() const;

    Engine& engine_;
    WindowRegistry& windows_;
    LmpProfileStore& profiles_;
    const int kind_;
    WindowHandle handle_;
    SettingsRow* coefficients_ = nullptr;
    QComboBox* profileBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
};
