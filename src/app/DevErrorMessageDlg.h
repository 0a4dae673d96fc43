#pragma once

#include <QDialog>
#include <QString>

#include <cstdint>
#include <string>

#include "WindowHandle.h"

class Engine;
class QListWidget;
class QRect;
class WindowRegistry;
struct SensorParameters;

// "Ошибки сенсора": the error bits that the sensor reports in its error
// answers, in words. The main window opens it when a reading of the sensor
// record carries an error; while open it follows every change of the record.
// Closing destroys it; the next error opens it again.
class DevErrorMessageDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidthDlu = 507;
    static constexpr int kHeightDlu = 79;

    DevErrorMessageDlg(Engine& engine, WindowRegistry& windows, QWidget* parent = nullptr);
    ~DevErrorMessageDlg() override;

    // Whether any of the seven readings holds an error answer.
    static bool AnyErrorFlag(const SensorParameters& record);
    // The bits of an error text as the sensor sends it: "0" and "1", the
    // rightmost character bit 0; only the last 32 characters count.
    static std::uint32_t ErrorBits(const std::string& text);
    // The OR of the error texts of the readings whose error flag is set.
    static std::uint32_t ErrorWord(const SensorParameters& record);
    // The text of one error bit.
    static QString BitText(int bit);
    // The top-left corner of a window of `frameSize` whose bottom edge
    // touches the owner's top edge, left edges aligned, never above the
    // screen's top.
    static QPoint PlaceAbove(const QRect& ownerFrame, const QSize& frameSize, int screenTop);

    // Places the window above `owner` and shows it.
    void OpenAbove(const QWidget& owner);

    // Shows the record's error word: the list is rebuilt only when the word
    // differs from the one shown, so an unchanged word neither flickers nor
    // loses the scroll position.
    void Refresh(const SensorParameters& record);

    std::uint32_t ShownWord() const { return shownWord_; }
    QListWidget* List() const { return list_; }
    WindowHandle Handle() const { return handle_; }

public slots:
    // Enter does nothing.
    void accept() override;
    // Esc and the close box destroy the window.
    void reject() override;

protected:
    void customEvent(QEvent* event) override;

private:
    void RefreshFromEngine();

    Engine& engine_;
    WindowRegistry& windows_;
    WindowHandle handle_;
    QListWidget* list_ = nullptr;
    std::uint32_t shownWord_ = 0;
};
