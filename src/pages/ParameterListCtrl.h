#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

#include "CGridListCtrlEx.h"

class CGridColumnTrait;
class CGridColumnTraitVariant;

// The two-column parameter list of the device, sensor and HART pages: a
// label column of fixed width, a value column with an editor per row, bold
// value cells where the engineer may type, and the highlight that marks a
// value edited away from what was read. Edits stay in the list's `edited`
// copy (kept by each page's list); the list tells its page through
// WM_EDITS_CHANGED, so the page can set its buttons.
class ParameterListCtrl : public CGridListCtrlEx {
    Q_OBJECT
public:
    // The list's own message: an accepted edit of a value cell (wParam the
    // row, lParam the committed entry's item data).
    static constexpr std::uint32_t WM_CELL_COMMITTED = 2024;
    // To the page: the edited copy changed.
    static constexpr std::uint32_t WM_EDITS_CHANGED = 3024;

    static constexpr int kLabelColumn = 1;
    static constexpr int kValueColumn = 2;
    static constexpr int kLabelWidth = 290;

    // The background of a value the engineer changed.
    static QColor ModifiedColor() { return QColor(0, 255, 255); }

    explicit ParameterListCtrl(QWidget* parent = nullptr);
    ~ParameterListCtrl() override;

    // Where WM_EDITS_CHANGED goes (the page).
    void SetEditsTarget(QObject* target) { editsTarget_ = target; }
    // What the list shows while it has no rows.
    void SetStatusText(const QString& text) { SetEmptyText(text); }
    QString StatusText() const { return EmptyText(); }
    const QFont& BoldFont() const { return boldFont_; }

    // Whether a row's value is drawn bold (it has an editor) and whether it
    // is drawn highlighted (edited away from the value read).
    virtual bool IsEditableRow(int row) const;
    virtual bool IsModifiedRow(int row) const;

    // Texts to and from the device's code page. A typed text that the code
    // page cannot hold is refused rather than sent with substitutes.
    static QString FromDevice(const std::string& bytes);
    static std::string ToDevice(const QString& text);
    static bool FitsDevice(const QString& text);

    // "Прочитать (F2)" was pressed: nothing old stays on show.
    void EnterReadingState();

    // The status text of a port that would not open because the user may
    // not open it (it names the device and the remedy); empty: the port is
    // missing or busy, and the list's own text stands.
    void SetPortDeniedText(const QString& text) { portDeniedText_ = text; }

protected:
    // The status texts both lists share.
    static constexpr int kStatusPortNotSet = 248;
    static constexpr int kStatusPortUnavailable = 249;
    static constexpr int kStatusNoAnswer = 250;
    static constexpr int kStatusReading = 252;

    // A one-line text editor for a value cell.
    static std::unique_ptr<CGridColumnTrait> TextEditor(bool digitsOnly, int maxLength);
    // Empties the list and its copies and shows a status text instead.
    void ShowNothing(int statusId);
    void ShowNothing(const QString& status);
    // A port that would not open: the text set for a denied port, else
    // `statusId`.
    void ShowPortUnavailable(int statusId);
    // The line worker's states without values to show (no port, a port
    // that cannot be opened, no answer) get their status text; false for
    // every other state.
    bool ShowLineFailure(int lineState);
    // Forgets the values a list keeps beside its rows.
    virtual void ResetCopies() {}
    // The status text of a read under way.
    virtual int ReadingStatusId() const { return kStatusReading; }

    // The value column's editor for one row; rows without one are read-only.
    void SetRowEditor(int row, std::unique_ptr<CGridColumnTrait> trait);
    // Fills the value column of rows 0 to count - 1. Rows the list does not
    // have yet are made with their labels; rows it has keep them, so a
    // refill only rewrites the values and keeps selection and scrolling.
    void FillValues(const int* labelIds, const QString* values, int count);
    void RemoveRows();
    // The text of a row's value cell, trimmed; empty for a missing row.
    QString ValueText(int row) const;

    // Whether an edit of a row's value may be stored at all. The default
    // refuses a text the device's code page cannot hold.
    virtual bool AcceptsValue(int row, const QString& text) const;
    // A commit of a value cell, handled after the editor has gone. The list
    // redraws and tells its page afterwards.
    virtual void OnCellCommitted(int row, std::uint32_t itemData);

    bool OnEditComplete(int row, int column, const QString& text, quint32 itemData) override;
    bool OnCellFont(int row, int column, QFont& font) const override;
    bool OnCellColors(int row, int column, QColor& textColor, QColor& backColor) const override;

    void customEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CGridColumnTraitVariant* values_ = nullptr;
    QFont boldFont_;
    QPointer<QObject> editsTarget_;
    QString portDeniedText_;
};
