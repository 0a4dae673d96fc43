#include "GraphWnd.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QResizeEvent>

#include <algorithm>
#include <climits>
#include <cstring>

#include "GraphFont.h"
#include "LinePlotter.h"
#include "StringTable.h"

namespace {

// The names of slots 0 to 19, by their string numbers.
constexpr std::array<int, 20> kSlotNameIds = {280, 281, 282, 283, 284, 285, 286, 287, 288, 289,
                                              290, 294, 295, 296, 297, 299, 300, 301, 312, 313};
constexpr int kChannelNameId = 331;    // "Канал %d"
constexpr int kMillisecondsLabelId = 336;  // "%dмс"
constexpr int kSecondsLabelId = 337;       // "%dс"

constexpr int kLegendX = 40;
constexpr int kLegendY = 5;
constexpr int kLegendGap = 6;

int ClampToInt(std::int64_t v)
{
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

} // namespace

GraphWnd::GraphWnd(QWidget* parent) : QWidget(parent), font_(GraphFont(kFontHeight))
{
    // The image covers every pixel: nothing to erase before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void GraphWnd::SetSeriesAndInterval(const std::array<int, kSeriesCount>& series, int intervalMs)
{
    series_ = series;
    intervalMs_ = intervalMs;
    Refresh();
}

QString GraphWnd::ValueLabel(int series, int label) const
{
    return labels_.at(static_cast<std::size_t>(series)).at(static_cast<std::size_t>(label));
}

QString GraphWnd::TimeLabel(int k) const
{
    if (k < 1 || k > static_cast<int>(timeLabels_.size()))
        return {};
    return timeLabels_[static_cast<std::size_t>(k - 1)];
}

QString GraphWnd::SlotName(int slot, const QString& serialText)
{
    if (slot < 0 || slot >= static_cast<int>(Point::kSlots))
        return {};
    if (slot < static_cast<int>(kSlotNameIds.size()))
        return StringTable::Get(kSlotNameIds[static_cast<std::size_t>(slot)]);
    QString name = QString::asprintf(StringTable::Get(kChannelNameId).toUtf8().constData(),
                                     slot - static_cast<int>(Point::kMultigas1) + 1);
    if (!serialText.isEmpty())
        name += QStringLiteral(" (SN:") + serialText + QLatin1Char(')');
    return name;
}

QColor GraphWnd::LabelColour(int series)
{
    static const std::array<QColor, kSeriesCount> colours = {QColor(200, 0, 0), QColor(0, 200, 0),
                                                             QColor(0, 0, 200), QColor(200, 0, 200)};
    return colours.at(static_cast<std::size_t>(series));
}

QColor GraphWnd::LineColour(int series)
{
    static const std::array<QColor, kSeriesCount> colours = {QColor(255, 100, 100), QColor(100, 255, 100),
                                                             QColor(100, 100, 255), QColor(255, 100, 255)};
    return colours.at(static_cast<std::size_t>(series));
}

void GraphWnd::EnsureSurface(const QSize& size)
{
    if (!surface_.isNull() && surface_.size() == size)
        return;
    surface_ = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    surface_.fill(Qt::white);
    ++surfaceGeneration_;
}

void GraphWnd::Layout()
{
    plot_ = rect().adjusted(kPlotMargin, kPlotMargin, -kPlotMargin, -kPlotMargin);
    division_ = static_cast<float>(plot_.height()) / 10;
}

void GraphWnd::resizeEvent(QResizeEvent* event)
{
    EnsureSurface(event->size());
    Refresh();
}

void GraphWnd::Refresh()
{
    EnsureSurface(size());
    Layout();
    for (int i = 0; i < kSeriesCount; ++i) {
        const auto si = static_cast<std::size_t>(i);
        scales_[si] = GraphAxes::ScaleSeries(points_, series_[si], plot_.height());
        for (int l = 0; l < GraphAxes::kLabelCount; ++l) {
            const auto li = static_cast<std::size_t>(l);
            labels_[si][li] = QString::fromStdString(scales_[si].labels[li]);
        }
        names_[si] = scales_[si].hasData ? SlotName(series_[si], serialText_) : QString();
    }
    pixelsPerPoint_ = GraphAxes::PixelsPerPoint(points_.size(), plot_.width());
    timeAxis_ = GraphAxes::BuildTimeAxis(points_.size(), intervalMs_, plot_.width());
    timeLabels_.clear();
    const QByteArray format =
        StringTable::Get(timeAxis_.seconds ? kSecondsLabelId : kMillisecondsLabelId).toUtf8();
    for (std::int64_t v : timeAxis_.values)
        timeLabels_.push_back(QString::asprintf(format.constData(), ClampToInt(v)));
    Render();
    update();
}

void GraphWnd::DrawText(QPainter& painter, int x, int top, const QString& text)
{
    // Positions are of the text's top-left corner; Qt draws on the baseline.
    painter.drawText(x, top + painter.fontMetrics().ascent(), text);
}

GraphWnd::BackgroundKey GraphWnd::CurrentBackgroundKey() const
{
    BackgroundKey key;
    key.size = surface_.size();
    for (std::size_t i = 0; i < kSeriesCount; ++i) {
        key.hasData[i] = scales_[i].hasData;
        if (scales_[i].hasData) {
            key.labels[i] = labels_[i];
            key.names[i] = names_[i];
        }
    }
    key.timeLabels = timeLabels_;
    for (int k = 1; k <= timeAxis_.labelCount; ++k)
        key.timeX.push_back(plot_.left() + static_cast<int>(static_cast<float>(timeAxis_.pointsPerLabel) *
                                                            pixelsPerPoint_ * static_cast<float>(k)));
    return key;
}

void GraphWnd::RenderBackground(const BackgroundKey& key)
{
    if (background_.size() != surface_.size())
        background_ = QImage(surface_.size(), QImage::Format_RGB32);
    const int left = plot_.left();
    const int top = plot_.top();
    const int right = left + plot_.width();   // first column right of the plot
    const int bottom = top + plot_.height();  // first row below the plot

    // The white and the dotted grid go straight into the pixels; the texts
    // are drawn over them.
    background_.fill(Qt::white);
    {
        LinePlotter plotter(reinterpret_cast<std::uint32_t*>(background_.bits()), background_.width(),
                            background_.height(), static_cast<int>(background_.bytesPerLine() / 4));
        const std::uint32_t grid = GridColour().rgb();
        for (int a = 1; a <= 9; ++a)
            plotter.DottedLine(left, top + static_cast<int>(static_cast<float>(a) * division_), right - 1,
                               top + static_cast<int>(static_cast<float>(a) * division_), grid);
        for (int x : key.timeX)
            plotter.DottedLine(x, top, x, bottom - 1, grid);
    }

    QPainter p(&background_);
    p.setFont(font_);
    p.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm = p.fontMetrics();
    const int textHeight = fm.height();

    for (int a = 1; a <= 9; ++a) {
        const int y = top + static_cast<int>(static_cast<float>(a) * division_);
        for (int i = 0; i < kSeriesCount; ++i) {
            const auto si = static_cast<std::size_t>(i);
            if (!key.hasData[si])
                continue;
            const QString& text = key.labels[si][static_cast<std::size_t>(a)];
            p.setPen(LabelColour(i));
            const int width = i >= 2 ? fm.horizontalAdvance(text) : 0;
            switch (i) {
            case 0: DrawText(p, left + 3, y - textHeight - 1, text); break;
            case 1: DrawText(p, left + 3, y + 1, text); break;
            case 2: DrawText(p, right - width - 3, y - textHeight - 1, text); break;
            default: DrawText(p, right - width - 3, y + 1, text); break;
            }
        }
    }

    for (std::size_t k = 0; k < key.timeX.size(); ++k) {
        const int x = key.timeX[k];
        p.setPen(FrameColour());
        DrawText(p, x + 2, bottom - textHeight - 2, key.timeLabels[k]);
    }

    int legendX = kLegendX;
    for (int i = 0; i < kSeriesCount; ++i) {
        const auto si = static_cast<std::size_t>(i);
        if (!key.hasData[si])
            continue;
        p.setPen(LabelColour(i));
        DrawText(p, legendX, kLegendY, key.names[si]);
        legendX += fm.horizontalAdvance(key.names[si]) + kLegendGap;
    }
}

void GraphWnd::Render()
{
    BackgroundKey key = CurrentBackgroundKey();
    if (background_.isNull() || !(key == backgroundKey_)) {
        RenderBackground(key);
        backgroundKey_ = std::move(key);
    }
    std::memcpy(surface_.bits(), background_.constBits(), static_cast<std::size_t>(surface_.sizeInBytes()));

    auto* bits = reinterpret_cast<std::uint32_t*>(surface_.bits());
    const int stride = static_cast<int>(surface_.bytesPerLine() / 4);
    LinePlotter plotter(bits, surface_.width(), surface_.height(), stride);
    const int left = plot_.left();
    const int top = plot_.top();
    const int bottom = top + plot_.height();

    // The lines: an invalid point ends a run, the next valid one starts the
    // next; a run of one point draws nothing.
    for (int i = 0; i < kSeriesCount; ++i) {
        const auto si = static_cast<std::size_t>(i);
        if (!scales_[si].hasData)
            continue;
        const std::uint32_t colour = LineColour(i).rgb();
        const int slot = series_[si];
        bool havePrevious = false;
        int px = 0, py = 0;
        for (std::size_t j = 0; j < points_.size(); ++j) {
            if (!GraphAxes::HasValue(points_[j], slot)) {
                havePrevious = false;
                continue;
            }
            const int x = left + static_cast<int>(static_cast<float>(j) * pixelsPerPoint_);
            const int y = GraphAxes::ValueY(scales_[si], points_[j].values[static_cast<std::size_t>(slot)], bottom);
            if (havePrevious)
                plotter.Line(px, py, x, y, colour);
            px = x;
            py = y;
            havePrevious = true;
        }
    }

    // The frame, over the ends of the lines: from the plot's corner to one
    // pixel beyond its right and bottom edges.
    plotter.Frame(left, top, left + plot_.width(), bottom, FrameColour().rgb());
}

void GraphWnd::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    p.drawImage(event->rect(), surface_, event->rect());
}
