#include "CalibPointsPanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include <cmath>

#include "Cp1251.h"
#include "Engine.h"
#include "MessageBoxes.h"
#include "NotificationIds.h"
#include "StringTable.h"

namespace {

// Whether the sensor's text and the typed one name the same number ("50"
// and "50.0"); texts that are not numbers compare as they stand.
bool SameValue(const QString& reported, const QString& typed)
{
    bool ok1 = false;
    bool ok2 = false;
    const double a = QLocale::c().toDouble(reported.trimmed(), &ok1);
    const double b = QLocale::c().toDouble(typed.trimmed(), &ok2);
    if (ok1 && ok2)
        return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
    return reported.trimmed() == typed.trimmed();
}

} // namespace

CalibPointsPanel::CalibPointsPanel(Engine& engine, WindowRegistry& windows, QWidget* parent, const Layout& layout)
    : WorkspacePanel(engine, windows, parent, layout.caption, layout.sizeDlu)
{
    using R = SettingsRow;
    using P = SensorParameters;
    namespace S = StringTable;
    auto* halves = new QHBoxLayout;
    auto* left = new QGridLayout;
    auto* right = new QGridLayout;
    left->setVerticalSpacing(2);
    right->setVerticalSpacing(2);
    int l = 0;
    int r = 0;
    // Each point: the value the sensor holds, the typed concentration, and
    // the calibration command of that point.
    for (int point = 1; point <= 2; ++point) {
        R::Spec spec = R::One({S::Get(S::kCalibC1 + point - 1)}, R::Field(point == 1 ? &P::c1 : &P::c2),
                              R::Edit(point == 1 ? layout.c1 : layout.c2), point + 1, point + 2);
        spec.writeCaption = S::Get(S::kCalibButton);
        SettingsRow* row = AddRow(left, l, std::move(spec));
        row->SetWriteGuard([this, point] { return Confirm(point); });
    }
    const int rawText = layout.sensitivity ? S::kCalibC1 + 4 : S::kCalibC1 + 2;
    const int readFirst = layout.sensitivity ? 28 : 0;
    const int writeFirst = layout.sensitivity ? 29 : 1;
    AddRow(right, r,
           R::One({S::Get(rawText)}, R::Field(layout.sensitivity ? &P::s1 : &P::v1), R::Edit(layout.raw1), readFirst,
                  writeFirst));
    AddRow(right, r,
           R::One({S::Get(rawText + 1)}, R::Field(layout.sensitivity ? &P::s2 : &P::v2), R::Edit(layout.raw2),
                  readFirst + 1, writeFirst + 1));
    for (QGridLayout* g : {left, right}) {
        g->setColumnStretch(2, 1);
        g->setColumnStretch(4, 1);
    }
    halves->addLayout(left, 1);
    halves->addSpacing(fontMetrics().horizontalAdvance(QLatin1Char('M')));
    halves->addLayout(right, 1);
    Body()->addLayout(halves);
    status_ = new QLabel(Surface());
    status_->setObjectName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    Body()->addWidget(status_);
    Body()->addStretch(1);
}

bool CalibPointsPanel::Confirm(int point)
{
    SettingsRow* row = Rows()[std::size_t(point - 1)];
    const std::optional<SensorCommandRequest> request = row->Compose();
    if (!request)
        return false;
    const QString value = QString::fromStdString(Cp1251::ToUtf8(request->texts[0]));
    const QString name = StringTable::Get(StringTable::kCalibC1 + point - 1);
    MessageBoxes::Request box;
    box.parent = this;
    box.caption = StringTable::Get(269);
    box.text = StringTable::Get(StringTable::kCalibConfirm).arg(name, value);
    box.icon = MessageBoxes::Icon::Question;
    box.buttons = MessageBoxes::Buttons::OkCancel;
    if (MessageBoxes::Show(box) != MessageBoxes::kOk)
        return false;
    // The write follows the guard at once; a refusal clears this again in
    // the next look at the engine (the engine then still takes commands).
    awaitedPoint_ = point;
    awaitedValue_ = value;
    SetStatus(QString(), false);
    return true;
}

void CalibPointsPanel::SetStatus(const QString& text, bool marked)
{
    marked_ = marked && !text.isEmpty();
    status_->setText(text);
    status_->setStyleSheet(marked_ ? QStringLiteral("QLabel { color: #b00000; font-weight: bold; }") : QString());
}

void CalibPointsPanel::OnActivate()
{
    WorkspacePanel::OnActivate();
    Register(NotificationId::CalibrationNotSent);
    // The page may have been left while a point waited for the cyclic loop.
    CheckNotSent();
}

void CalibPointsPanel::OnWindowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (message == NotificationId::CalibrationNotSent) {
        CheckNotSent();
        return;
    }
    WorkspacePanel::OnWindowMessage(message, wParam, lParam);
    if (awaitedPoint_ == 0 || (message != NotificationId::ModeChanged && message != NotificationId::LineTaskEvent))
        return;
    if (engine().mode == Engine::kModeCalibrationPolling && engine().IsPollBusy()) {
        // Handed to the cyclic loop: the sensor gets it after the next heating.
        SetStatus(StringTable::Get(StringTable::kCalibQueued)
                      .arg(StringTable::Get(StringTable::kCalibC1 + awaitedPoint_ - 1), awaitedValue_),
                  false);
    } else if (CommandsAccepted(engine())) {
        ShowValues();
    }
}

void CalibPointsPanel::OnRequestRefused()
{
    // Nothing went to the sensor: there is no answer to wait for.
    awaitedPoint_ = 0;
    WorkspacePanel::OnRequestRefused();
}

void CalibPointsPanel::CheckNotSent()
{
    if (awaitedPoint_ == 0)
        return;
    const Engine::CalibrationNotSentReport report = engine().CopyCalibrationNotSent();
    if (report.notSent == 0 || report.request.code != awaitedPoint_ + 2)
        return;
    SetStatus(StringTable::Get(StringTable::kCalibNotSent)
                  .arg(StringTable::Get(StringTable::kCalibC1 + awaitedPoint_ - 1),
                       QString::fromStdString(Cp1251::ToUtf8(report.request.texts[0]))),
              true);
    awaitedPoint_ = 0;
}

void CalibPointsPanel::ShowValues()
{
    SensorParameters p;
    engine().CopySensorParameters(p);
    for (SettingsRow* row : Rows())
        row->ShowValues(p);
    // The calibration has ended when the engine takes commands again: the
    // write activity is over, or the cyclic loop has sent the queued point.
    if (awaitedPoint_ != 0 && CommandsAccepted(engine()))
        Conclude(p);
}

void CalibPointsPanel::Conclude(const SensorParameters& p)
{
    const int point = awaitedPoint_;
    awaitedPoint_ = 0;
    const QString name = StringTable::Get(StringTable::kCalibC1 + point - 1);
    const TextSlot& slot = point == 1 ? p.c1 : p.c2;
    if (slot.valid != 1) {
        SetStatus(StringTable::Get(StringTable::kCalibUnconfirmed).arg(name, awaitedValue_), true);
        return;
    }
    const QString reported = QString::fromStdString(Cp1251::ToUtf8(slot.text)).trimmed();
    if (SameValue(reported, awaitedValue_))
        SetStatus(StringTable::Get(StringTable::kCalibReported).arg(name, awaitedValue_, reported), false);
    else
        SetStatus(StringTable::Get(StringTable::kCalibDiffers).arg(name, awaitedValue_, reported), true);
}
