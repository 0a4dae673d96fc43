#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

// "Настройка соединения": the three COM port numbers and the number of
// multigas sets. It closes with OK only when something changed and was
// saved; OK without a change closes it as Cancel, so the main window does
// not restart the engine for nothing.
class ConnectionDlg : public QDialog {
    Q_OBJECT
public:
    explicit ConnectionDlg(QWidget* parent = nullptr);

    QLineEdit* ModbusPortEdit() const { return modbusPort_; }
    QLineEdit* HartPortEdit() const { return hartPort_; }
    QLineEdit* MgPortEdit() const { return mgPort_; }
    QComboBox* MgCountList() const { return mgCount_; }
    // The line beside a port field that says where the number leads.
    QLabel* ModbusPortHint() const { return modbusHint_; }

    // The text beside a port field for number `port`.
    static QString PortHintText(int port);
    // A field's text as a port number: empty or not a number gives 0.
    static int ParsePort(const QString& text);

public slots:
    void accept() override;

private:
    QLineEdit* AddPortRow(class QGridLayout* grid, int row, int labelId, int port, QLabel*& hint);
    QString FoundPortsText() const;

    QLineEdit* modbusPort_ = nullptr;
    QLineEdit* hartPort_ = nullptr;
    QLineEdit* mgPort_ = nullptr;
    QComboBox* mgCount_ = nullptr;
    QLabel* modbusHint_ = nullptr;
    QLabel* hartHint_ = nullptr;
    QLabel* mgHint_ = nullptr;
    // The list's item at opening; a stored count above the list's last item
    // is kept unless the user picks another one.
    int shownCountIndex_ = 0;
};
