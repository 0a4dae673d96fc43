#include "TimerDlg.h"

#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogUnits.h"
#include "ITimeSource.h"
#include "StringTable.h"

// The drawing area: copies the stopwatch's picture, nothing more.
class TimerDlg::FaceWidget : public QWidget {
public:
    explicit FaceWidget(TimerDlg& owner) : owner_(owner)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setObjectName(QStringLiteral("stopwatchFace"));
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter p(this);
        p.fillRect(event->rect(), palette().color(QPalette::Button));
        p.drawImage(event->rect(), owner_.face_, event->rect());
    }

    void resizeEvent(QResizeEvent*) override { owner_.Redraw(); }

private:
    TimerDlg& owner_;
};

TimerDlg::TimerDlg(ITimeSource& clock, QWidget* parent) : QDialog(parent), clock_(clock)
{
    setObjectName(QStringLiteral("TimerDlg"));
    setWindowTitle(StringTable::Get(StringTable::kTimerButton));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    area_ = new FaceWidget(*this);
    start_ = new QPushButton(StringTable::Get(StringTable::kStopwatchStart));
    stop_ = new QPushButton(StringTable::Get(StringTable::kStopwatchStop));
    reset_ = new QPushButton(StringTable::Get(StringTable::kStopwatchReset));
    for (QPushButton* b : {start_, stop_, reset_}) {
        // Enter is the OK command, and that does nothing here.
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(start_, &QPushButton::clicked, this, &TimerDlg::OnStart);
    connect(stop_, &QPushButton::clicked, this, &TimerDlg::OnStop);
    connect(reset_, &QPushButton::clicked, this, &TimerDlg::OnReset);
    connect(&tick_, &QTimer::timeout, this, &TimerDlg::OnTick);
    tick_.setInterval(kTickPeriodMs);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addWidget(reset_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(area_, 1);
    layout->addLayout(buttons);
    setFixedSize(DialogUnits::ToPixels(fontMetrics(), kWidthDlu, kHeightDlu));
    // The layout gives the area its size now, so the picture has it from
    // the first redraw.
    layout->activate();

    running_ = false;
    startTick_ = currentTick_ = clock_.TickMs();
    start_->setEnabled(true);
    stop_->setEnabled(false);
    Redraw();
}

void TimerDlg::Open(const QPoint& topLeft)
{
    move(topLeft);
    setEnabled(true);
    show();
}

QString TimerDlg::ElapsedText(std::uint32_t elapsedMs)
{
    return QString::asprintf("%02d:%02d", static_cast<int>(elapsedMs / 60000), static_cast<int>((elapsedMs / 1000) % 60));
}

void TimerDlg::OnStart()
{
    running_ = true;
    startTick_ = currentTick_ = clock_.TickMs();
    start_->setEnabled(false);
    stop_->setEnabled(true);
    Redraw();
    tick_.start();
}

void TimerDlg::OnStop()
{
    running_ = false;
    currentTick_ = clock_.TickMs();
    start_->setEnabled(true);
    stop_->setEnabled(false);
    Redraw();
    tick_.stop();
}

void TimerDlg::OnReset()
{
    startTick_ = currentTick_ = clock_.TickMs();
    Redraw();
}

void TimerDlg::OnTick()
{
    if (!running_)
        return;
    currentTick_ = clock_.TickMs();
    Redraw();
}

void TimerDlg::accept()
{
}

void TimerDlg::reject()
{
    tick_.stop();
    QDialog::reject();
    deleteLater();
}

void TimerDlg::Redraw()
{
    // The tick count wraps after 49 days; the difference in unsigned
    // arithmetic stays right across the wrap.
    const std::uint32_t elapsed = currentTick_ - startTick_;
    const QString text = ElapsedText(elapsed);
    // The size chosen for "59:59" leaves no room for "100:00": a text of
    // another length chooses its size again, so no digit is cut off.
    if (text.size() != text_.size())
        textDraw_.Reset();
    text_ = text;

    const QSize size = area_->size().expandedTo(QSize(1, 1));
    if (face_.size() != size) {
        face_ = QImage(size, QImage::Format_RGB32);
        textDraw_.Reset();
    }
    QPainter p(&face_);
    const QPalette& pal = palette();
    p.setPen(QPen(pal.color(QPalette::WindowText), 1));
    p.setBrush(pal.color(QPalette::Button));
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    textDraw_.Draw(p, QRect(QPoint(0, 0), size).adjusted(1, 1, -1, -1), text_, pal.color(QPalette::WindowText));
    p.end();
    area_->update();
}
