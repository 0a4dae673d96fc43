#pragma once

#include <QStringList>

#include "TabPage.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;

// The "Терминал" page: one text command at a time to the sensor, typed by
// the engineer, with the log of every command sent and the answer received.
// Up and Down recall the commands sent since the tool started; "Очистить"
// (or Esc) empties the log but keeps that history; "Сохранить" writes the
// log as "tlog.csv". F2 does nothing here.
class TerminalDialog : public TabPage {
    Q_OBJECT
public:
    static constexpr int kSentColumn = 0;
    static constexpr int kReceivedColumn = 1;

    TerminalDialog(Engine& engine, WindowRegistry& windows, QWidget* parent);

    QLineEdit* CommandField() const { return command_; }
    QTreeWidget* Log() const { return log_; }
    QPushButton* SendButton() const { return sendButton_; }
    QPushButton* ClearButton() const { return clearButton_; }
    QPushButton* SaveButton() const { return saveButton_; }
    // The commands sent, newest first, each with its "@".
    const QStringList& History() const { return history_; }

    // "Отправить" (and Enter).
    void OnSend();
    // "Очистить" (and Esc).
    void OnClear();
    // "Сохранить".
    void OnSave();

protected:
    void OnActivate() override;
    void OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateButtons();
    void RefreshLog();
    void FitColumns();
    // Up (+1, older) or Down (-1, newer) through the history. True when the
    // key was an arrow and is used up.
    bool HandleArrow(QKeyEvent* event);
    void FocusCommand();

    QLineEdit* command_ = nullptr;
    QTreeWidget* log_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QStringList history_;
    // 0: the field shows the engineer's own text; k: history entry k.
    int historyIndex_ = 0;
};
