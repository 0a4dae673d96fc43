#pragma once

#include <QDialog>

class QLineEdit;

// "Пароль": the sensor's calibration password. The tool never checks it;
// the sensor does, when a calibration command carries it. The
// manufacturer password has no editor and is written back unchanged.
class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);

    QLineEdit* PasswordEdit() const { return password_; }

public slots:
    void accept() override;

private:
    QLineEdit* password_ = nullptr;
};
