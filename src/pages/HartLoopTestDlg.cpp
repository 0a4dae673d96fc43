#include "HartLoopTestDlg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "Engine.h"
#include "MessageBoxes.h"
#include "NotificationIds.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"

namespace {

constexpr int kBadCurrent = 159; // "Введена недопустимая величина выходного тока"
constexpr int kTitle = 5060;
constexpr int kCurrentLabel = 5061;
constexpr int kSetButton = 5062;
constexpr int kEndButton = 5063;
constexpr int kFixedCurrent = 5064;
constexpr int kStillFixed = 5065;

// The typed current, with a decimal point or comma, whatever the locale.
bool ParseCurrent(const QString& text, float& value)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = t.toFloat(&ok);
    return ok && !t.isEmpty();
}

QString CurrentText(float currentMa)
{
    return QString::asprintf("%.2f", double(currentMa));
}

} // namespace

HartLoopTestDlg::HartLoopTestDlg(Engine& engine, WindowRegistry& windows, QWidget* parent)
    : QDialog(parent), engine_(engine), windows_(windows)
{
    setObjectName(QStringLiteral("HartLoopTestDlg"));
    setWindowTitle(StringTable::Get(kTitle));
    setWindowModality(Qt::ApplicationModal);
    handle_ = windows_.Add(this);

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("CurrentEdit"));
    setButton_ = new QPushButton(StringTable::Get(kSetButton), this);
    setButton_->setObjectName(QStringLiteral("SetButton"));
    endButton_ = new QPushButton(StringTable::Get(kEndButton), this);
    endButton_->setObjectName(QStringLiteral("EndButton"));
    // Enter is "Установить", as the OK button of the dialog.
    setButton_->setDefault(true);
    endButton_->setAutoDefault(false);
    fixedLabel_ = new QLabel(this);
    fixedLabel_->setObjectName(QStringLiteral("FixedLabel"));
    QFont bold = fixedLabel_->font();
    bold.setWeight(QFont::Bold);
    fixedLabel_->setFont(bold);
    fixedLabel_->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    connect(setButton_, &QPushButton::clicked, this, &HartLoopTestDlg::OnSet);
    connect(endButton_, &QPushButton::clicked, this, &HartLoopTestDlg::OnEnd);

    auto* form = new QFormLayout;
    form->addRow(StringTable::Get(kCurrentLabel), edit_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(setButton_);
    buttons->addWidget(endButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fixedLabel_);
    layout->addLayout(buttons);
}

HartLoopTestDlg::~HartLoopTestDlg()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
}

QString HartLoopTestDlg::FixedCurrentText(float currentMa)
{
    return StringTable::Get(kFixedCurrent).arg(CurrentText(currentMa));
}

QString HartLoopTestDlg::StillFixedText(float currentMa)
{
    return StringTable::Get(kStillFixed).arg(CurrentText(currentMa));
}

bool HartLoopTestDlg::WarnIfCurrentStillFixed(QWidget* parent, Engine& engine)
{
    if (!engine.LoopCurrentFixed())
        return false;
    MessageBoxes::Warning(parent, StillFixedText(engine.FixedLoopCurrent()));
    return true;
}

bool HartLoopTestDlg::CanSend() const
{
    return engine_.HartAddressKnownToEngine() && Engine::IsSteadyMode(engine_.mode);
}

void HartLoopTestDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (opened_)
        return;
    opened_ = true;
    edit_->setText(QString::number(double(current)));
    if (!CanSend()) {
        // Nothing to test without the device's address or while the engine
        // is busy.
        QMetaObject::invokeMethod(this, [this] { QDialog::done(QDialog::Rejected); }, Qt::QueuedConnection);
        return;
    }
    engine_.Register(handle_, NotificationId::HartEvent);
    // The mode's end and the fixed current's changes, for the line that
    // tells whether the output is fixed.
    engine_.Register(handle_, NotificationId::ModeChanged);
    engine_.Register(handle_, NotificationId::HartDataChanged);
    UpdateControls();
}

void HartLoopTestDlg::UpdateControls()
{
    const bool enabled = CanSend();
    edit_->setEnabled(enabled);
    setButton_->setEnabled(enabled);
    endButton_->setEnabled(enabled);
    const bool fixed = engine_.LoopCurrentFixed();
    fixedLabel_->setText(fixed ? FixedCurrentText(engine_.FixedLoopCurrent()) : QString());
    fixedLabel_->setVisible(fixed);
}

void HartLoopTestDlg::customEvent(QEvent* event)
{
    if (event->type() != WindowMessageEvent::EventType()) {
        QDialog::customEvent(event);
        return;
    }
    if (!isVisible())
        return;
    auto* m = static_cast<WindowMessageEvent*>(event);
    if (m->Message() == NotificationId::HartEvent) {
        const std::uint32_t state = engine_.HartState();
        if (state != SensorHartInterface::kReady && state != SensorHartInterface::kLoopCurrent) {
            // The HART line failed: the test cannot go on. A current it
            // fixed before is released on the way out.
            reject();
            return;
        }
    }
    UpdateControls();
}

void HartLoopTestDlg::accept()
{
    OnSet();
}

void HartLoopTestDlg::OnSet()
{
    if (!CanSend())
        return;
    float value = 0.0f;
    if (!ParseCurrent(edit_->text(), value) || !(value >= kMinCurrent && value <= kMaxCurrent)) {
        MessageBoxes::Request r;
        r.parent = this;
        r.caption = StringTable::Get(StringTable::kMainTitle);
        r.text = StringTable::Get(kBadCurrent);
        r.icon = MessageBoxes::Icon::Stop;
        MessageBoxes::Show(r);
        return;
    }
    current = value;
    engine_.SetHartLoopCurrent(value, 1);
    UpdateControls();
}

void HartLoopTestDlg::RequestRelease(bool always)
{
    // During a command (mode 8) the release is taken and follows it.
    if (always || engine_.mode == Engine::kModeHartLoopCurrent || engine_.LoopCurrentFixed())
        engine_.SetHartLoopCurrent(0.0f, 0);
}

void HartLoopTestDlg::OnEnd()
{
    RequestRelease(true);
    QDialog::done(QDialog::Rejected);
}

void HartLoopTestDlg::reject()
{
    if (opened_)
        RequestRelease(false);
    QDialog::done(QDialog::Rejected);
}

void HartLoopTestDlg::CloseWithoutRelease()
{
    QDialog::done(QDialog::Rejected);
}
