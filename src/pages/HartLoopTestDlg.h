#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>

#include "WindowHandle.h"

class Engine;
class QLabel;
class QLineEdit;
class QPushButton;
class WindowRegistry;

// "Тест токовой петли HART": sets the transmitter's output to a fixed
// current between 4 and 20 mA, so that the loop and the control room's
// input can be checked against it, and releases it again.
//
// A fixed output no longer follows the gas: left behind, it hides a real
// alarm from the control room. So every way out of the dialog releases a
// current the engine fixed — "Завершить", Esc and the close box here, a
// failure of the HART line, the page or the program going away where they
// close the dialog — and while a current is fixed the dialog says so.
class HartLoopTestDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr float kMinCurrent = 4.0f;
    static constexpr float kMaxCurrent = 20.0f;

    HartLoopTestDlg(Engine& engine, WindowRegistry& windows, QWidget* parent);
    ~HartLoopTestDlg() override;

    // The value in the edit field when the dialog opens (mA).
    float current = 20.0f;

    QLineEdit* CurrentEdit() const { return edit_; }
    QPushButton* SetButton() const { return setButton_; }
    QPushButton* EndButton() const { return endButton_; }
    QLabel* FixedLabel() const { return fixedLabel_; }

    // Closes the dialog without asking for a release: for a caller that
    // closes the HART line itself, which releases at once.
    void CloseWithoutRelease();

    // "Выходной ток зафиксирован: 12.00 mA".
    static QString FixedCurrentText(float currentMa);
    // When the engine still holds a current it fixed (its release failed),
    // tells the engineer that the output may still be fixed and what to do,
    // in a warning box; true when it did.
    static bool WarnIfCurrentStillFixed(QWidget* parent, Engine& engine);
    // The text of that warning.
    static QString StillFixedText(float currentMa);

public slots:
    // Enter: "Установить"; the dialog stays open.
    void accept() override;
    // Esc and the close box: a current the engine fixed is released.
    void reject() override;
    void OnSet();
    // "Завершить": releases the loop current and closes. It is sent even
    // when this run fixed nothing, so that a current left fixed earlier
    // (another session, a failed release) can be freed here.
    void OnEnd();

protected:
    void customEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool CanSend() const;
    void UpdateControls();
    void RequestRelease(bool always);

    Engine& engine_;
    WindowRegistry& windows_;
    WindowHandle handle_;
    bool opened_ = false;
    QLineEdit* edit_ = nullptr;
    QPushButton* setButton_ = nullptr;
    QPushButton* endButton_ = nullptr;
    QLabel* fixedLabel_ = nullptr;
};
