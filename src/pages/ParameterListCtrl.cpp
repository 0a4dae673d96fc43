#include "ParameterListCtrl.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>

#include "CGridColumnTraitEdit.h"
#include "CGridColumnTraitText.h"
#include "CGridColumnTraitVariant.h"
#include "CGridRowTraitXP.h"
#include "Cp1251.h"
#include "SensorModbusInterface.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"

namespace {

constexpr double kCellMargin = 1.2;
constexpr int kHeadingLabel = 132; // "Название параметра"
constexpr int kHeadingValue = 133; // "Значение"

} // namespace

ParameterListCtrl::ParameterListCtrl(QWidget* parent) : CGridListCtrlEx(parent)
{
    EnableToolTips(false);
    SetCellMargin(kCellMargin);
    SetRowTrait(std::make_unique<CGridRowTraitXP>());
    SetExplorerStyle();
    InsertHiddenLabelColumn();
    InsertColumn(kLabelColumn, StringTable::Get(kHeadingLabel), Qt::AlignLeft, kLabelWidth,
                 std::make_unique<CGridColumnTraitText>());
    auto values = std::make_unique<CGridColumnTraitVariant>();
    values_ = values.get();
    InsertColumn(kValueColumn, StringTable::Get(kHeadingValue), Qt::AlignLeft, kLabelWidth, std::move(values));
    // The value column takes the rest of the client area, also when a
    // vertical scroll bar comes and goes.
    horizontalHeader()->setStretchLastSection(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    boldFont_ = font();
    boldFont_.setWeight(QFont::Bold);
}

ParameterListCtrl::~ParameterListCtrl() = default;

bool ParameterListCtrl::IsEditableRow(int row) const
{
    const CGridColumnTrait* trait = CellTrait(row, kValueColumn);
    return trait != nullptr && trait->IsCellEditable();
}

bool ParameterListCtrl::IsModifiedRow(int row) const
{
    (void)row;
    return false;
}

QString ParameterListCtrl::FromDevice(const std::string& bytes)
{
    return QString::fromStdString(Cp1251::ToUtf8(bytes));
}

std::string ParameterListCtrl::ToDevice(const QString& text)
{
    return Cp1251::FromUtf8(text.toStdString());
}

bool ParameterListCtrl::FitsDevice(const QString& text)
{
    // The conversion puts a substitute for what the code page lacks; a text
    // that survives the round trip has nothing substituted.
    return FromDevice(ToDevice(text)) == text;
}

std::unique_ptr<CGridColumnTrait> ParameterListCtrl::TextEditor(bool digitsOnly, int maxLength)
{
    auto trait = std::make_unique<CGridColumnTraitEdit>();
    trait->SetDigitsOnly(digitsOnly);
    trait->SetMaxLength(maxLength);
    return trait;
}

void ParameterListCtrl::ShowNothing(int statusId)
{
    ShowNothing(StringTable::Get(statusId));
}

void ParameterListCtrl::ShowNothing(const QString& status)
{
    SetStatusText(status);
    ResetCopies();
    RemoveRows();
}

void ParameterListCtrl::ShowPortUnavailable(int statusId)
{
    if (portDeniedText_.isEmpty())
        ShowNothing(statusId);
    else
        ShowNothing(portDeniedText_);
}

void ParameterListCtrl::EnterReadingState()
{
    ShowNothing(ReadingStatusId());
}

bool ParameterListCtrl::ShowLineFailure(int lineState)
{
    switch (lineState) {
    case SensorModbusInterface::kNoPort:
        ShowNothing(kStatusPortNotSet);
        return true;
    case SensorModbusInterface::kPortUnavailable:
        ShowPortUnavailable(kStatusPortUnavailable);
        return true;
    case SensorModbusInterface::kFailed:
        ShowNothing(kStatusNoAnswer);
        return true;
    default:
        return false;
    }
}

void ParameterListCtrl::SetRowEditor(int row, std::unique_ptr<CGridColumnTrait> trait)
{
    values_->SetRowTrait(row, std::move(trait));
}

void ParameterListCtrl::FillValues(const int* labelIds, const QString* values, int count)
{
    for (int row = 0; row < count; ++row) {
        if (row >= RowCount()) {
            const QString label = StringTable::Get(labelIds[row]);
            InsertRow(row, label);
            SetCellText(row, kLabelColumn, label);
        }
        SetCellText(row, kValueColumn, values[row]);
    }
    RedrawCells();
}

void ParameterListCtrl::RemoveRows()
{
    DeleteAllRows();
}

QString ParameterListCtrl::ValueText(int row) const
{
    if (row < 0 || row >= RowCount())
        return QString();
    return CellText(row, kValueColumn).trimmed();
}

bool ParameterListCtrl::AcceptsValue(int row, const QString& text) const
{
    (void)row;
    return FitsDevice(text);
}

void ParameterListCtrl::OnCellCommitted(int row, std::uint32_t itemData)
{
    (void)row;
    (void)itemData;
}

bool ParameterListCtrl::OnEditComplete(int row, int column, const QString& text, quint32 itemData)
{
    if (column != kValueColumn)
        return CGridListCtrlEx::OnEditComplete(row, column, text, itemData);
    // Leaving a cell as it was is no edit: a value shown rounded (a
    // threshold of 150.3 shows as "150 ") must not turn into the rounded
    // number just because its editor was opened and closed.
    if (row >= 0 && row < RowCount() && text == CellText(row, column))
        return false;
    if (!AcceptsValue(row, text))
        return false;
    if (!CGridListCtrlEx::OnEditComplete(row, column, text, itemData))
        return false;
    QCoreApplication::postEvent(this, new WindowMessageEvent(WM_CELL_COMMITTED, std::uintptr_t(row), std::intptr_t(itemData)));
    return true;
}

bool ParameterListCtrl::OnCellFont(int row, int column, QFont& font) const
{
    if (column != kValueColumn || !IsEditableRow(row))
        return false;
    font = boldFont_;
    return true;
}

bool ParameterListCtrl::OnCellColors(int row, int column, QColor& textColor, QColor& backColor) const
{
    (void)textColor;
    if (column != kValueColumn || !IsModifiedRow(row))
        return false;
    backColor = ModifiedColor();
    return true;
}

void ParameterListCtrl::customEvent(QEvent* event)
{
    if (event->type() != WindowMessageEvent::EventType()) {
        CGridListCtrlEx::customEvent(event);
        return;
    }
    auto* m = static_cast<WindowMessageEvent*>(event);
    if (m->Message() != WM_CELL_COMMITTED)
        return;
    const int row = int(m->WParam());
    // The rows may have gone (a new read began) while the message waited.
    if (row < 0 || row >= RowCount())
        return;
    OnCellCommitted(row, std::uint32_t(m->LParam()));
    RedrawCells();
    if (editsTarget_)
        QCoreApplication::postEvent(editsTarget_, new WindowMessageEvent(WM_EDITS_CHANGED, 0, 0));
}

void ParameterListCtrl::changeEvent(QEvent* event)
{
    CGridListCtrlEx::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        boldFont_ = font();
        boldFont_.setWeight(QFont::Bold);
    }
}
