#pragma once

#include <QString>

#include <cstdint>

#include "HartParameters.h"
#include "ParameterListCtrl.h"

// The HART page's parameter list: the field device's identity and live
// values, twelve rows. Rows come as a chain: the first field not read ends
// the list there, and rows beyond keep what an earlier fill put in them
// until the list is emptied. Rows 0 to 4 can be edited; the edits stay on
// the page.
class HartListCtrl : public ParameterListCtrl {
    Q_OBJECT
public:
    enum Row : int {
        kRowPollingAddress,
        kRowLoopCurrentMode,
        kRowShortTag,
        kRowLongTag,
        kRowMessage,
        kRowUniqueId,
        kRowDescriptor,
        kRowDate,
        kRowSensorSerial,
        kRowUpperRange,
        kRowPrimaryValue,
        kRowOutputCurrent,
        kRowCount
    };
    static constexpr int kEditableRows = kRowMessage + 1;
    // Polling addresses a HART master can put in a short frame.
    static constexpr unsigned kLastPollingAddress = 63;
    static constexpr int kShortTagLength = 8;
    static constexpr int kLongTagLength = 32;
    static constexpr int kMessageLength = 32;

    explicit HartListCtrl(QWidget* parent = nullptr);

    // The list by the HART worker's state and a fresh copy of its record.
    void Refresh(std::uint32_t hartState, const HartParameters& hart);
    // The worker searches the polling addresses: which one it tries now.
    void ShowProgress(unsigned address);

    const HartParameters& Shown() const { return shown_; }
    const HartParameters& Edited() const { return edited_; }

    bool IsModifiedRow(int row) const override;

    // A text cut to, or padded with blanks to, exactly `length` characters.
    static QString FitText(const QString& text, int length);
    // Packed ASCII carries blank to "_" only: a-z become A-Z, every other
    // character (controls, "`" and above, Cyrillic) becomes "@".
    static QString PackedText(const QString& text);

protected:
    int ReadingStatusId() const override;
    bool AcceptsValue(int row, const QString& text) const override;
    void OnCellCommitted(int row, std::uint32_t itemData) override;
    void ResetCopies() override;

private:
    void Fill();
    static bool AllValid(const HartParameters& hart);
    // Fits (and packs) a text row's cell, shows the result, returns it.
    QString FitCell(int row, int length, bool packed);

    HartParameters shown_;
    HartParameters edited_;
};
