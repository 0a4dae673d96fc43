#include "ConnectionDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <algorithm>

#include "AppContext.h"
#include "ComPortPath.h"
#include "SerialPortHints.h"
#include "Settings.h"
#include "StringTable.h"

namespace {

// Nine digits always fit an int; a longer number would wrap.
constexpr int kMaxPortDigits = 9;

QString S(int id)
{
    return StringTable::Get(id);
}

} // namespace

ConnectionDlg::ConnectionDlg(QWidget* parent) : QDialog(parent)
{
    const AppContext& app = AppContext::Get();
    setWindowTitle(S(StringTable::kConnectionTitle));
    setObjectName(QStringLiteral("ConnectionDlg"));

    auto* grid = new QGridLayout;
    modbusPort_ = AddPortRow(grid, 0, StringTable::kModbusPortLabel, app.modbusPort, modbusHint_);
    hartPort_ = AddPortRow(grid, 1, StringTable::kHartPortLabel, app.hartPort, hartHint_);
    mgPort_ = AddPortRow(grid, 2, StringTable::kMgPortLabel, app.mgPort, mgHint_);

    grid->addWidget(new QLabel(S(StringTable::kMgCountLabel)), 3, 0);
    mgCount_ = new QComboBox;
    for (int n = Settings::kMinMgCount; n <= Settings::kMaxMgCount; ++n)
        mgCount_->addItem(QString::number(n));
    shownCountIndex_ = std::clamp(app.mgCount, Settings::kMinMgCount, Settings::kMaxMgCount) - Settings::kMinMgCount;
    mgCount_->setCurrentIndex(shownCountIndex_);
    grid->addWidget(mgCount_, 3, 1);

    auto* found = new QLabel(FoundPortsText());
    found->setObjectName(QStringLiteral("foundPorts"));
    found->setWordWrap(true);
    found->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(S(StringTable::kOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(S(StringTable::kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectionDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ConnectionDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(found);
    layout->addWidget(buttons);
}

QLineEdit* ConnectionDlg::AddPortRow(QGridLayout* grid, int row, int labelId, int port, QLabel*& hint)
{
    grid->addWidget(new QLabel(S(labelId)), row, 0);
    auto* edit = new QLineEdit(port > 0 ? QString::number(port) : QString());
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setMaxLength(kMaxPortDigits);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);
    grid->addWidget(edit, row, 1);
    hint = new QLabel(PortHintText(port));
    grid->addWidget(hint, row, 2);
    QLabel* target = hint;
    connect(edit, &QLineEdit::textChanged, target, [target](const QString& text) { target->setText(PortHintText(ParsePort(text))); });
    return edit;
}

QString ConnectionDlg::PortHintText(int port)
{
    if (port < 1)
        return S(StringTable::kPortHintNotSet);
    const SerialPortHints::PortTarget t = SerialPortHints::TargetOf(port);
    const QString path = QString::fromStdString(t.path);
    if (!t.exists)
        return S(StringTable::kPortHintMissing).arg(path);
    return S(t.linked ? StringTable::kPortHintLinked : StringTable::kPortHintDevice).arg(path);
}

int ConnectionDlg::ParsePort(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

QString ConnectionDlg::FoundPortsText() const
{
    QStringList lines;
    QStringList found;
    for (const std::string& p : SerialPortHints::FoundPorts())
        found.append(QString::fromStdString(p));
    lines.append(found.isEmpty() ? S(StringTable::kNoPortsFound) : S(StringTable::kPortsFound).arg(found.join(QStringLiteral(", "))));
    const std::vector<SerialPortHints::PortLink> links = SerialPortHints::PortLinks();
    const QString folder = QString::fromStdString(ComPortFolder());
    if (!folder.isEmpty()) {
        lines.append(S(StringTable::kPortLinksFolder).arg(folder));
        for (const SerialPortHints::PortLink& l : links)
            lines.append(QStringLiteral("  COM%1 → %2").arg(l.number).arg(QString::fromStdString(l.target)));
    }
    return lines.join(QLatin1Char('\n'));
}

void ConnectionDlg::accept()
{
    AppContext& app = AppContext::Get();
    const int modbus = ParsePort(modbusPort_->text());
    const int hart = ParsePort(hartPort_->text());
    const int mg = ParsePort(mgPort_->text());
    const int index = mgCount_->currentIndex();
    const int count = index == shownCountIndex_ ? app.mgCount : index + Settings::kMinMgCount;

    if (modbus == app.modbusPort && hart == app.hartPort && mg == app.mgPort && count == app.mgCount) {
        reject();
        return;
    }
    app.modbusPort = modbus;
    app.hartPort = hart;
    app.mgPort = mg;
    app.mgCount = count;
    Settings::SaveConnection();
    QDialog::accept();
}
