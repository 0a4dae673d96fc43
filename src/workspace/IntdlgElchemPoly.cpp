#include "IntdlgElchemPoly.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DialogUnits.h"
#include "Engine.h"
#include "LmpProfileStore.h"
#include "NotificationIds.h"
#include "SensorParameters.h"
#include "SettingsRow.h"
#include "StringTable.h"
#include "WindowMessageEvent.h"
#include "WindowRegistry.h"
#include "WorkspacePanel.h"

namespace {
constexpr int kCoefficientCount = 5;
constexpr int kReadCoefficients = 16;
constexpr int kWriteCoefficients = 17;
} // namespace

QStringList IntdlgElchemPoly::DefaultValues()
{
    return {QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
}

IntdlgElchemPoly::IntdlgElchemPoly(Engine& engine, WindowRegistry& windows, LmpProfileStore& profiles, int kind,
                                   QWidget* owner)
    : QDialog(owner), engine_(engine), windows_(windows), profiles_(profiles), kind_(kind)
{
    setObjectName(QStringLiteral("IntdlgElchemPoly"));
    // A tool window of its panel: it floats beside the main window, never
    // blocks it, and is gone when closed.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(StringTable::Get(StringTable::kPolyTitle));
    handle_ = windows_.Add(this);

    SettingsRow::Spec spec;
    const QStringList initial = DefaultValues();
    for (int i = 0; i < kCoefficientCount; ++i)
        spec.lines.push_back(SettingsRow::Line{StringTable::Get(StringTable::kCoefficientFirst + i),
                              SettingsRow::Field(&SensorParameters::coeffK, std::size_t(i)),
                              SettingsRow::Edit(initial[i])});
    spec.readCode = kReadCoefficients;
    spec.writeCode = kWriteCoefficients;
    coefficients_ = new SettingsRow(engine_, std::move(spec), this);
    connect(coefficients_, &SettingsRow::Refused, this, &IntdlgElchemPoly::UpdateControls);

    auto* grid = new QGridLayout;
    int gridRow = 0;
    coefficients_->AddTo(grid, gridRow);

    profileBox_ = new QComboBox(this);
    profileBox_->setObjectName(QStringLiteral("Profile"));
    profileBox_->setEditable(true);
    // A typed name is a name of its own: the box never puts it into the
    // list, and the completer never turns it into an existing name (a new
    // profile "co" must not overwrite "CO").
    profileBox_->setInsertPolicy(QComboBox::NoInsert);
    profileBox_->completer()->setCaseSensitivity(Qt::CaseSensitive);
    profileBox_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    profileBox_->setMinimumContentsLength(12);
    saveButton_ = new QPushButton(StringTable::Get(StringTable::kSaveProfile), this);
    saveButton_->setObjectName(QStringLiteral("Save"));
    saveButton_->setAutoDefault(false);
    connect(saveButton_, &QPushButton::clicked, this, &IntdlgElchemPoly::OnSave);
    connect(profileBox_, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { LoadProfile(profileBox_->itemText(index)); });

    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(new QLabel(StringTable::Get(StringTable::kProfile), this));
    profileRow->addWidget(profileBox_, 1);
    profileRow->addWidget(saveButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(profileRow);
    layout->addStretch(1);
    const QSize minimum = DialogUnits::ToPixels(fontMetrics(), 185, 178);
    resize(minimum.expandedTo(sizeHint()));
}

IntdlgElchemPoly::~IntdlgElchemPoly()
{
    engine_.UnregisterAll(handle_);
    windows_.Remove(handle_);
}

void IntdlgElchemPoly::Open(QPoint corner)
{
    move(corner);
    setEnabled(true);
    show();
    UpdateControls();
    ShowValues();
    profiles_.Load(kind_);
    const QStringList names = profiles_.Names(kind_);
    FillProfiles(names.isEmpty() ? QString() : names.last());
    LoadProfile(profileBox_->currentText());
    engine_.Register(handle_, NotificationId::ModeChanged);
    engine_.Register(handle_, NotificationId::LineTaskEvent);
    engine_.Register(handle_, NotificationId::SensorParametersChanged);
}

void IntdlgElchemPoly::UpdateControls()
{
    coefficients_->UpdateControls(WorkspacePanel::CommandsAccepted(engine_));
}

void IntdlgElchemPoly::ShowValues()
{
    SensorParameters p;
    engine_.CopySensorParameters(p);
    coefficients_->ShowValues(p);
}

void IntdlgElchemPoly::LoadProfile(const QString& name)
{
    QStringList values;
    if (name.isEmpty() || !profiles_.Find(kind_, name, values) || values.size() < kCoefficientCount)
        values = DefaultValues();
    for (int i = 0; i < kCoefficientCount; ++i)
        coefficients_->InputEdit(std::size_t(i))->setText(values[i]);
}

QStringList IntdlgElchemPoly::EditTexts() const
{
    QStringList texts;
    for (int i = 0; i < kCoefficientCount; ++i)
        texts.append(coefficients_->InputEdit(std::size_t(i))->text().trimmed());
    return texts;
}

void IntdlgElchemPoly::OnSave()
{
    const QStringList values = EditTexts();
    for (const QString& v : values)
        if (v.isEmpty())
            return;
    const QString name = profileBox_->currentText().trimmed();
    if (name.isEmpty())
        return;
    profiles_.Store(kind_, name, values);
    profiles_.Save(kind_);
    FillProfiles(name);
}

void IntdlgElchemPoly::FillProfiles(const QString& select)
{
    const QStringList names = profiles_.Names(kind_);
    profileBox_->clear();
    profileBox_->addItems(names);
    // Exactly the name (the list is case-sensitive); the last one when the
    // name is not there.
    const int index = profileBox_->findText(select, Qt::MatchExactly | Qt::MatchCaseSensitive);
    profileBox_->setCurrentIndex(index >= 0 ? index : int(names.size()) - 1);
}

void IntdlgElchemPoly::accept() {}


void IntdlgElchemPoly::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void IntdlgElchemPoly::customEvent(QEvent* event)
{
    if (event->type() != WindowMessageEvent::EventType()) {
        QDialog::customEvent(event);
        return;
    }
    switch (static_cast<WindowMessageEvent*>(event)->Message()) {
    case NotificationId::ModeChanged:
    case NotificationId::LineTaskEvent:
        UpdateControls();
        break;
    case NotificationId::SensorParametersChanged:
        ShowValues();
        UpdateControls();
        break;
    default:
        break;
    }
}
