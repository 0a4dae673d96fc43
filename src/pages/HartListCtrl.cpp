#include "HartListCtrl.h"

#include "CGridColumnTraitCombo.h"
#include "CGridColumnTraitEditPacked.h"
#include "SensorHartInterface.h"
#include "StringTable.h"

namespace {

// Labels of the rows, in row order.
constexpr int kLabels[HartListCtrl::kRowCount] = {139, 156, 141, 142, 143, 140, 144, 145, 157, 158, 151, 153};

constexpr int kLoopCurrentOff = 154; // "выключено"
constexpr int kLoopCurrentOn = 155;  // "включено"

constexpr int kHartNoPort = 134;
constexpr int kHartPortUnavailable = 135;
constexpr int kHartNoAnswer = 136;
constexpr int kHartNotRead = 137;
constexpr int kHartReading = 138;
constexpr int kHartScanning = 257; // "Производится сканирование... (ID=%u)"

std::unique_ptr<CGridColumnTrait> PackedEditor(int maxLength)
{
    auto trait = std::make_unique<CGridColumnTraitEditPacked>();
    trait->SetMaxLength(maxLength);
    return trait;
}

} // namespace

HartListCtrl::HartListCtrl(QWidget* parent) : ParameterListCtrl(parent)
{
    setObjectName(QStringLiteral("HartListCtrl"));
    SetRowEditor(kRowPollingAddress, TextEditor(true, 2));
    auto mode = std::make_unique<CGridColumnTraitCombo>();
    mode->AddItem(0, StringTable::Get(kLoopCurrentOff));
    mode->AddItem(1, StringTable::Get(kLoopCurrentOn));
    SetRowEditor(kRowLoopCurrentMode, std::move(mode));
    SetRowEditor(kRowShortTag, PackedEditor(kShortTagLength));
    SetRowEditor(kRowLongTag, TextEditor(false, kLongTagLength));
    SetRowEditor(kRowMessage, PackedEditor(kMessageLength));
    SetStatusText(StringTable::Get(kHartNotRead));
}

int HartListCtrl::ReadingStatusId() const
{
    return kHartReading;
}

QString HartListCtrl::FitText(const QString& text, int length)
{
    if (text.size() >= length)
        return text.left(length);
    return text + QString(length - text.size(), QLatin1Char(' '));
}

QString HartListCtrl::PackedText(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        const char16_t code = ch.unicode();
        if (code >= u'a' && code <= u'z')
            ch = QChar(char16_t(code - u'a' + u'A'));
        else if (code < 32 || code > 95)
            ch = QLatin1Char('@');
    }
    return out;
}

void HartListCtrl::ResetCopies()
{
    shown_.Reset();
    edited_.Reset();
}

bool HartListCtrl::AllValid(const HartParameters& h)
{
    return h.pollingAddress.valid && h.uniqueId.valid && h.primaryValue.valid && h.outputCurrent.valid &&
           h.loopCurrentMode.valid && h.shortTag.valid && h.descriptor.valid && h.date.valid && h.longTag.valid &&
           h.message.valid && h.sensorSerial.valid && h.upperRange.valid;
}

void HartListCtrl::Refresh(std::uint32_t hartState, const HartParameters& hart)
{
    switch (hartState) {
    case SensorHartInterface::kClosed:
        // A closed line with a complete record shows it as read; anything
        // less is not worth showing.
        if (!AllValid(hart)) {
            ShowNothing(kHartNotRead);
            return;
        }
        [[fallthrough]];
    case SensorHartInterface::kReady:
    case SensorHartInterface::kReadingAll:
        SetStatusText(StringTable::Get(kHartReading));
        shown_ = hart;
        edited_ = hart;
        Fill();
        return;
    case SensorHartInterface::kNoPort:
        ShowNothing(kHartNoPort);
        return;
    case SensorHartInterface::kOpenFailed:
        ShowPortUnavailable(kHartPortUnavailable);
        return;
    case SensorHartInterface::kNoAnswer:
        ShowNothing(kHartNoAnswer);
        return;
    case SensorHartInterface::kMonitoring:
    case SensorHartInterface::kLoopCurrent:
        shown_ = hart;
        edited_ = hart;
        Fill();
        return;
    default:
        return;
    }
}

void HartListCtrl::ShowProgress(unsigned address)
{
    SetStatusText(QString::asprintf(StringTable::Get(kHartScanning).toUtf8().constData(), address));
    ResetCopies();
    RemoveRows();
}

void HartListCtrl::Fill()
{
    const HartParameters& h = shown_;
    auto text = [](const TextSlot& slot) { return FromDevice(slot.text); };
    // Each row only while every earlier one has its value. The polling
    // address and the unique identifier come from one answer (command 0)
    // and go together.
    const bool identity = h.pollingAddress.valid && h.uniqueId.valid;
    const bool present[kRowCount] = {h.pollingAddress.valid != 0, h.loopCurrentMode.valid != 0, h.shortTag.valid != 0,
                                     h.longTag.valid != 0,        h.message.valid != 0,         identity,
                                     h.descriptor.valid != 0,     h.date.valid != 0,            h.sensorSerial.valid != 0,
                                     h.upperRange.valid != 0,     h.primaryValue.valid != 0,    h.outputCurrent.valid != 0};
    int count = 0;
    while (count < kRowCount && present[count])
        ++count;
    QString v[kRowCount];
    v[kRowPollingAddress] = QString::number(h.pollingAddress.value);
    v[kRowLoopCurrentMode] = StringTable::Get(h.loopCurrentMode.value != 0 ? kLoopCurrentOn : kLoopCurrentOff);
    v[kRowShortTag] = text(h.shortTag);
    v[kRowLongTag] = text(h.longTag);
    v[kRowMessage] = text(h.message);
    v[kRowUniqueId] = text(h.uniqueId);
    v[kRowDescriptor] = text(h.descriptor);
    v[kRowDate] = text(h.date);
    v[kRowSensorSerial] = text(h.sensorSerial);
    v[kRowUpperRange] = text(h.upperRange);
    v[kRowPrimaryValue] = text(h.primaryValue);
    v[kRowOutputCurrent] = text(h.outputCurrent);
    if (count > 0)
        FillValues(kLabels, v, count);
    else
        RedrawCells();
}

bool HartListCtrl::AcceptsValue(int row, const QString& text) const
{
    switch (row) {
    case kRowPollingAddress: {
        // An emptied cell is no address; 64 and above are, and become 0.
        bool ok = false;
        text.trimmed().toUInt(&ok);
        return ok;
    }
    case kRowShortTag:
    case kRowMessage:
        // The packed-text rule turns whatever cannot be sent into "@".
        return true;
    default:
        return ParameterListCtrl::AcceptsValue(row, text);
    }
}

QString HartListCtrl::FitCell(int row, int length, bool packed)
{
    // The blanks of a fitted text belong to it: the cell's text untrimmed.
    const QString typed = CellText(row, kValueColumn);
    QString result = FitText(typed, length);
    if (packed)
        result = PackedText(result);
    if (result != typed)
        SetCellText(row, kValueColumn, result);
    return result;
}

void HartListCtrl::OnCellCommitted(int row, std::uint32_t itemData)
{
    switch (row) {
    case kRowPollingAddress: {
        unsigned address = ValueText(row).toUInt();
        if (address > kLastPollingAddress) {
            address = 0;
            SetCellText(row, kValueColumn, QStringLiteral("0"));
        }
        edited_.pollingAddress.Store(std::uint8_t(address));
        return;
    }
    case kRowLoopCurrentMode:
        edited_.loopCurrentMode.Store(itemData != 0 ? 1 : 0);
        return;
    case kRowShortTag:
        edited_.shortTag.Store(ToDevice(FitCell(row, kShortTagLength, true)));
        return;
    case kRowLongTag:
        edited_.longTag.Store(ToDevice(FitCell(row, kLongTagLength, false)));
        return;
    case kRowMessage:
        edited_.message.Store(ToDevice(FitCell(row, kMessageLength, true)));
        return;
    default:
        return;
    }
}

bool HartListCtrl::IsModifiedRow(int row) const
{
    const HartParameters& a = shown_;
    const HartParameters& b = edited_;
    auto textDiffers = [](const TextSlot& x, const TextSlot& y) { return x.valid && y.valid && x.text != y.text; };
    switch (row) {
    case kRowPollingAddress:
        return a.pollingAddress.valid && b.pollingAddress.valid && a.pollingAddress.value != b.pollingAddress.value;
    case kRowLoopCurrentMode:
        return a.loopCurrentMode.valid && b.loopCurrentMode.valid && a.loopCurrentMode.value != b.loopCurrentMode.value;
    case kRowShortTag:
        return textDiffers(a.shortTag, b.shortTag);
    case kRowLongTag:
        return textDiffers(a.longTag, b.longTag);
    case kRowMessage:
        return textDiffers(a.message, b.message);
    default:
        return false;
    }
}
