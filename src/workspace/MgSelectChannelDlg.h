#pragma once

#include <QDialog>
#include <QPoint>

#include <array>
#include <cstdint>

#include "WindowHandle.h"

class Engine;
class QComboBox;
class QPushButton;
class QRadioButton;
class WindowRegistry;

// "Выбор канала/комплекта Мультигаз": a small modeless window of the
// calibration page with which the engineer chooses the channel of a
// multigas rack that the sensor reports ("@MWCH") and the sensor set that
// the rack's switch connects (a register write to every set on the
// multigas port). The object lives as long as the page, so the channel and
// the set it last chose survive closing and opening the window.
class MgSelectChannelDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kChannels = 12;

    MgSelectChannelDlg(Engine& engine, WindowRegistry& windows, QWidget* page);
    ~MgSelectChannelDlg() override;

    // Shows the window at `corner` (screen coordinates) with the set list
    // filled from the engine's set count; `notify` learns of channel choices.
    void Open(QPoint corner, WindowHandle notify, std::uint32_t message);
    bool IsOpen() const { return open_; }
    void CloseWindow();

    int ChannelIndex() const { return channelIndex_; }
    int SetIndex() const { return setIndex_; }
    // Only for the tests and the page: a set remembered from an earlier,
    // larger set count.
    void SetSetIndex(int index) { setIndex_ = index; }

    QRadioButton* ChannelButton(int index) const { return channels_.at(std::size_t(index)); }
    QComboBox* SetList() const { return setList_; }
    QPushButton* MinusButton() const { return minus_; }
    QPushButton* PlusButton() const { return plus_; }
    QPushButton* SwitchButton() const { return switch_; }

public slots:
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FillSetList();
    void OnChannel(int index);
    void OnSwitch();
    void OnStep(int delta);

    Engine& engine_;
    WindowRegistry& windows_;
    std::array<QRadioButton*, kChannels> channels_{};
    QComboBox* setList_ = nullptr;
    QPushButton* minus_ = nullptr;
    QPushButton* plus_ = nullptr;
    QPushButton* switch_ = nullptr;
    int channelIndex_ = 0;
    // The set last switched or stepped to.
    int setIndex_ = 0;
    // The set the rack last took, -1 while none is known.
    int selectedSet_ = -1;
    bool open_ = false;
    WindowHandle notify_;
    std::uint32_t message_ = 0;
};
