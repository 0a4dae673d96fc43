#include "SettingsRow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <cmath>

#include "Cp1251.h"
#include "Engine.h"
#include "MessageBoxes.h"
#include "StringTable.h"

namespace {

enum Column { kCaptionColumn, kLabelColumn, kBoxColumn, kReadColumn, kInputColumn, kWriteColumn };

QPushButton* NewButton(const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    // Enter inside a panel does nothing.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

SettingsRow::ListRule SettingsRow::Index()
{
    return [](int index, const QString&) { return std::to_string(index); };
}

SettingsRow::ListRule SettingsRow::IndexPlusOne()
{
    return [](int index, const QString&) { return std::to_string(index + 1); };
}

SettingsRow::ListRule SettingsRow::ItemText()
{
    return [](int, const QString& item) { return Cp1251::FromUtf8(item.toStdString()); };
}

SettingsRow::ListRule SettingsRow::Mapped(std::vector<std::string> values)
{
    return [values = std::move(values)](int index, const QString&) {
        return index >= 0 && std::size_t(index) < values.size() ? values[std::size_t(index)] : std::string();
    };
}

SettingsRow::Input SettingsRow::List(QStringList items, int initialIndex, ListRule rule)
{
    Input in;
    in.list = true;
    in.items = std::move(items);
    in.initialIndex = initialIndex;
    in.rule = std::move(rule);
    return in;
}

SettingsRow::Input SettingsRow::Edit(QString initialText, EditKind kind)
{
    Input in;
    in.initialText = std::move(initialText);
    in.editKind = kind;
    return in;
}

SettingsRow::Spec SettingsRow::One(QStringList caption, FieldText field, std::optional<Input> input, int readCode,
                                   int writeCode)
{
    Spec spec;
    spec.caption = std::move(caption);
    spec.lines.push_back(Line{QString(), std::move(field), std::move(input)});
    spec.readCode = readCode;
    spec.writeCode = writeCode;
    return spec;
}

SettingsRow::FieldText SettingsRow::Field(TextSlot SensorParameters::*slot)
{
    return [slot](const SensorParameters& p) {
        const TextSlot& s = p.*slot;
        return s.valid == 1 ? s.text : std::string();
    };
}

std::optional<QString> SettingsRow::NumberText(const QString& typed)
{
    QString text = typed.trimmed();
    if (text.isEmpty())
        return text;
    // A Russian keyboard's numeric pad types a comma: one comma and no point
    // is that decimal separator. The line must carry the C notation, and a
    // comma there would part the value into two arguments.
    if (text.count(QLatin1Char(',')) == 1 && !text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value) || text.contains(QLatin1Char(',')))
        return std::nullopt;
    return text;
}

SettingsRow::SettingsRow(Engine& engine, Spec spec, QWidget* parent)
    : QObject(parent), engine_(engine), spec_(std::move(spec)), parent_(parent)
{
    if (!spec_.caption.isEmpty()) {
        caption_ = new QLabel(spec_.caption.join(QLatin1Char('\n')), parent);
        caption_->setObjectName(QStringLiteral("Caption"));
    }
    const QFontMetrics fm = parent->fontMetrics();
    for (std::size_t i = 0; i < spec_.lines.size(); ++i) {
        const Line& line = spec_.lines[i];
        labels_.push_back(line.label.isEmpty() ? nullptr : new QLabel(line.label, parent));
        // A line that only takes a value (the temperature of a resistance
        // calibration) has no value box.
        if (!line.field) {
            boxes_.push_back(nullptr);
        } else {
            auto* box = new QLineEdit(parent);
            box->setObjectName(QStringLiteral("Value%1").arg(i));
            box->setReadOnly(true);
            box->setAlignment(Qt::AlignCenter);
            box->setFocusPolicy(Qt::ClickFocus);
            box->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("00000000")));
            boxes_.push_back(box);
        }
        QComboBox* list = nullptr;
        QLineEdit* edit = nullptr;
        if (line.input && line.input->list) {
            list = new QComboBox(parent);
            list->setObjectName(QStringLiteral("List%1").arg(i));
            list->addItems(line.input->items);
            list->setCurrentIndex(line.input->initialIndex);
        } else if (line.input) {
            edit = new QLineEdit(line.input->initialText, parent);
            edit->setObjectName(QStringLiteral("Edit%1").arg(i));
            if (line.input->editKind == EditKind::Digits)
                edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        lists_.push_back(list);
        edits_.push_back(edit);
    }
    if (spec_.readCode >= 0) {
        readButton_ = NewButton(StringTable::Get(StringTable::kRowRead), parent);
        readButton_->setObjectName(QStringLiteral("Read"));
        connect(readButton_, &QPushButton::clicked, this, &SettingsRow::OnRead);
    }
    if (spec_.writeCode >= 0) {
        const QString text =
            spec_.writeCaption.isEmpty() ? StringTable::Get(StringTable::kRowWrite) : spec_.writeCaption;
        writeButton_ = NewButton(text, parent);
        writeButton_->setObjectName(QStringLiteral("Write"));
        connect(writeButton_, &QPushButton::clicked, this, &SettingsRow::OnWrite);
    }
}

void SettingsRow::AddTo(QGridLayout* grid, int& gridRow)
{
    const int first = gridRow;
    const int span = std::max<int>(1, int(spec_.lines.size()));
    const bool sublines = std::any_of(labels_.begin(), labels_.end(), [](QLabel* l) { return l != nullptr; });
    if (caption_ != nullptr) {
        if (sublines)
            grid->addWidget(caption_, first, kCaptionColumn, span, 1, Qt::AlignLeft | Qt::AlignVCenter);
        else
            grid->addWidget(caption_, first, kCaptionColumn, span, 2, Qt::AlignLeft | Qt::AlignVCenter);
    }
    bool anyInput = false;
    for (std::size_t i = 0; i < spec_.lines.size(); ++i) {
        const int r = first + int(i);
        if (labels_[i] != nullptr)
            grid->addWidget(labels_[i], r, kLabelColumn, Qt::AlignRight | Qt::AlignVCenter);
        if (boxes_[i] != nullptr)
            grid->addWidget(boxes_[i], r, kBoxColumn);
        if (lists_[i] != nullptr) {
            grid->addWidget(lists_[i], r, kInputColumn);
            anyInput = true;
        } else if (edits_[i] != nullptr) {
            grid->addWidget(edits_[i], r, kInputColumn);
            anyInput = true;
        }
    }
    if (readButton_ != nullptr)
        grid->addWidget(readButton_, first, kReadColumn, span, 1, Qt::AlignVCenter);
    if (writeButton_ != nullptr) {
        // A button that stands for its own value takes the input's place too.
        if (anyInput)
            grid->addWidget(writeButton_, first, kWriteColumn, span, 1, Qt::AlignVCenter);
        else
            grid->addWidget(writeButton_, first, kInputColumn, span, 2, Qt::AlignVCenter);
    }
    gridRow = first + span;
}

void SettingsRow::UpdateControls(bool commandsAccepted)
{
    if (readButton_ != nullptr)
        readButton_->setEnabled(commandsAccepted);
    if (writeButton_ != nullptr)
        writeButton_->setEnabled(commandsAccepted);
}

void SettingsRow::ShowValues(const SensorParameters& parameters)
{
    for (std::size_t i = 0; i < spec_.lines.size(); ++i) {
        const FieldText& field = spec_.lines[i].field;
        if (boxes_[i] == nullptr)
            continue;
        const QString text = field ? QString::fromStdString(Cp1251::ToUtf8(field(parameters))) : QString();
        if (boxes_[i]->text() != text)
            boxes_[i]->setText(text);
    }
}

std::optional<SensorCommandRequest> SettingsRow::Compose(QString* refusal) const
{
    if (spec_.writeCode < 0)
        return std::nullopt;
    SensorCommandRequest request;
    request.code = spec_.writeCode;
    if (!spec_.fixedTexts.empty()) {
        for (std::size_t t = 0; t < spec_.fixedTexts.size() && t < request.texts.size(); ++t)
            request.texts[t] = spec_.fixedTexts[t];
        return request;
    }
    std::size_t t = 0;
    for (std::size_t i = 0; i < spec_.lines.size(); ++i) {
        const std::optional<Input>& input = spec_.lines[i].input;
        if (!input)
            continue;
        if (t >= request.texts.size())
            break;
        std::string value;
        if (input->list) {
            const int index = lists_[i]->currentIndex();
            if (index < 0)
                return std::nullopt;
            value = input->rule ? input->rule(index, lists_[i]->itemText(index)) : std::string();
        } else {
            const QString typed = edits_[i]->text();
            std::optional<QString> text = typed.trimmed();
            if (input->editKind == EditKind::Number)
                text = NumberText(typed);
            if (!text) {
                if (refusal != nullptr)
                    *refusal = StringTable::Get(StringTable::kNotANumber).arg(typed.trimmed());
                return std::nullopt;
            }
            value = Cp1251::FromUtf8(text->toStdString());
        }
        if (value.empty())
            return std::nullopt;
        request.texts[t++] = value;
    }
    if (t == 0)
        return std::nullopt;
    return request;
}

void SettingsRow::OnRead()
{
    if (spec_.readCode < 0)
        return;
    if (engine_.RereadParameter(spec_.readCode) == 0)
        emit Refused();
}

void SettingsRow::OnWrite()
{
    QString refusal;
    const std::optional<SensorCommandRequest> request = Compose(&refusal);
    if (!request) {
        // An empty edit or a list without selection sends nothing and says
        // nothing; only a typed value that cannot go on the line is told.
        if (!refusal.isEmpty())
            MessageBoxes::Warning(parent_, refusal);
        return;
    }
    if (guard_ && !guard_())
        return;
    if (engine_.WriteParameter(*request) == 0)
        emit Refused();
}

QLineEdit* SettingsRow::ValueBox(std::size_t line) const
{
    return line < boxes_.size() ? boxes_[line] : nullptr;
}

QComboBox* SettingsRow::InputList(std::size_t line) const
{
    return line < lists_.size() ? lists_[line] : nullptr;
}

QLineEdit* SettingsRow::InputEdit(std::size_t line) const
{
    return line < edits_.size() ? edits_[line] : nullptr;
}
