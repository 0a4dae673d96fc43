#include "DevErrorMessageDlg.h"

#include <QListWidget>
#include <QScreen>
#include <QVBoxLayout>

#include <array>

#include "DialogUnits.h"
#include "Engine.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

namespace {

// The bits the sensor names, with their texts; every other bit is an error
// this program does not know.
struct KnownBit {
    int bit;
    int textId;
};
constexpr std::array<KnownBit, 11> kKnownBits = {{{0, 315},
                                                  {1, 316},
                                                  {2, 317},
                                                  {3, 318},
                                                  {4, 319},
                                                  {5, 320},
                                                  {6, 321},
                                                  {8, 322},
                                                  {12, 323},
                                                  {13, 324},
                                                  {14, 325}}};

} // namespace

DevErrorMessageDlg::DevErrorMessageDlg(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : QDialog(parent), engine_(engine), windows_(windows)
{
    setObjectName(QStringLiteral("DevErrorMessageDlg"));
    setWindowTitle(StringTable::Get(StringTable::kSensorErrorsTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    list_ = new QListWidget;
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(list_);
    resize(DialogUnits::ToPixels(fontMetrics(), kWidthDlu, kHeightDlu));

    handle_ = windows_.Add(this);
    engine_.Register(handle_, NotificationId::SensorParametersChanged);
    shownWord_ = 0;
    list_->clear();
    RefreshFromEngine();
}

DevErrorMessageDlg::~DevErrorMessageDlg()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
}

bool DevErrorMessageDlg::AnyErrorFlag(const SensorParameters& r)
{
    return r.concentration.errorValid != 0 || r.sensorTemperature.errorValid != 0 || r.thReading.errorValid != 0 ||
           r.rpReading.errorValid != 0 || r.rhReading.errorValid != 0 || r.shReading.errorValid != 0 ||
           r.dwReading.errorValid != 0;
}

std::uint32_t DevErrorMessageDlg::ErrorBits(const std::string& text)
{
    std::uint32_t word = 0;
    const std::size_t n = text.size();
    for (std::size_t bit = 0; bit < 32 && bit < n; ++bit)
        if (text[n - 1 - bit] == '1')
            word |= std::uint32_t{1} << bit;
    return word;
}

std::uint32_t DevErrorMessageDlg::ErrorWord(const SensorParameters& r)
{
    std::uint32_t word = 0;
    const auto add = [&word](const auto& reading) {
        if (reading.errorValid != 0)
            word |= ErrorBits(reading.error);
    };
    add(r.concentration);
    add(r.sensorTemperature);
    add(r.thReading);
    add(r.rpReading);
    add(r.rhReading);
    add(r.shReading);
    add(r.dwReading);
    return word;
}

QString DevErrorMessageDlg::BitText(int bit)
{
    for (const KnownBit& k : kKnownBits)
        if (k.bit == bit)
            return StringTable::Get(k.textId);
    return StringTable::Get(StringTable::kUnknownSensorError);
}

QPoint DevErrorMessageDlg::PlaceAbove(const QRect& ownerFrame, const QSize& frameSize, int screenTop)
{
    const int top = ownerFrame.top() - frameSize.height();
    return {ownerFrame.left(), top < screenTop ? screenTop : top};
}

void DevErrorMessageDlg::OpenAbove(const QWidget& owner)
{
    const QScreen* screen = owner.screen();
    const int screenTop = screen != nullptr ? screen->geometry().top() : 0;
    move(PlaceAbove(owner.frameGeometry(), frameGeometry().size(), screenTop));
    setEnabled(true);
    show();
}

void DevErrorMessageDlg::Refresh(const SensorParameters& record)
{
    const std::uint32_t word = ErrorWord(record);
    if (word == shownWord_)
        return;
    shownWord_ = word;
    list_->clear();
    for (int bit = 0; bit < 32; ++bit)
        if ((word >> bit) & 1u)
            list_->addItem(BitText(bit));
}

void DevErrorMessageDlg::RefreshFromEngine()
{
    SensorParameters record;
    engine_.CopySensorParameters(record);
    Refresh(record);
}

void DevErrorMessageDlg::accept()
{
}

void DevErrorMessageDlg::reject()
{
    engine_.UnregisterAll(handle_);
    QDialog::reject();
    deleteLater();
}

void DevErrorMessageDlg::customEvent(QEvent* event)
{
    if (event->type() == WindowMessageEvent::EventType()) {
        if (static_cast<WindowMessageEvent*>(event)->Message() == NotificationId::SensorParametersChanged)
            RefreshFromEngine();
        return;
    }
    QDialog::customEvent(event);
}
