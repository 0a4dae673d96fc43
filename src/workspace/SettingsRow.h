#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "SensorCommandRequest.h"
#include "SensorParameters.h"

class Engine;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// One row of a workspace panel: a caption, the value the sensor last
// reported, "Прочитать" to read it again, an input for the value to write
// and "Записать" to write it. Each button is one engine request (re-read by
// code, write by code); the row does nothing else on the line.
//
// A row may have several lines under one caption (the four stabilisation
// parameters, the five polynomial coefficients), each with its own value
// box and input, sharing the row's two buttons: the write then carries one
// text per input, in order, and goes out only when every input gives a
// value.
class SettingsRow : public QObject {
    Q_OBJECT
public:
    // The text a value box shows (windows-1251): the field as the sensor
    // sent it when its flag is 1, empty otherwise.
    using FieldText = std::function<std::string(const SensorParameters&)>;
    // What a list writes for the selected item (0-based index, item text).
    using ListRule = std::function<std::string(int index, const QString& item)>;

    enum class EditKind {
        // Any number; a decimal comma typed on a Russian keyboard is taken
        // as the decimal point, and anything that is not a number is
        // refused with a message.
        Number,
        // Digits only; the edit refuses every other character.
        Digits,
    };

    struct Input {
        bool list = false;
        // A list: its items, the item selected at first (-1 none), the rule.
        QStringList items;
        int initialIndex = -1;
        ListRule rule;
        // An edit: its initial text and what it accepts.
        QString initialText;
        EditKind editKind = EditKind::Number;
    };

    struct Line {
        QString label; // before the value box; empty for a one-line row
        FieldText field; // empty: the line has no value box

        std::optional<Input> input;
    };

    struct Spec {
        QStringList caption; // one or two lines
        std::vector<Line> lines;
        int readCode = -1;   // "Прочитать" with this re-read code; none when negative
        int writeCode = -1;  // the write button with this write code; none when negative
        QString writeCaption; // empty: "Записать"
        // Texts the write button always sends, in place of the inputs (a
        // button that stands for its own value, as "Балансировать").
        std::vector<std::string> fixedTexts;
    };

    // The common row: one line under a caption.
    static Spec One(QStringList caption, FieldText field, std::optional<Input> input, int readCode,
                    int writeCode = -1);

    // The value rules of the panels' lists.
    static ListRule Index();          // the index as decimal text
    static ListRule IndexPlusOne();   // the index + 1
    static ListRule ItemText();       // the item's own text
    static ListRule Mapped(std::vector<std::string> values); // values[index]

    static Input List(QStringList items, int initialIndex, ListRule rule);
    static Input Edit(QString initialText, EditKind kind = EditKind::Number);

    // The fields of the sensor record a value box can show.
    static FieldText Field(TextSlot SensorParameters::*slot);
    template <std::size_t N>
    static FieldText Field(TextArraySlot<N> SensorParameters::*slot, std::size_t index)
    {
        return [slot, index](const SensorParameters& p) {
            const auto& s = p.*slot;
            return s.valid[index] == 1 ? s.texts[index] : std::string();
        };
    }
    template <std::size_t N>
    static FieldText Field(MultiTextSlot<N> SensorParameters::*slot, std::size_t index)
    {
        return [slot, index](const SensorParameters& p) {
            const auto& s = p.*slot;
            return s.valid == 1 ? s.texts[index] : std::string();
        };
    }

    // What a typed number is sent as: the trimmed text with one decimal
    // comma taken as the point. Empty when nothing is typed; nullopt when
    // the text is not a number (a comma left in it would split the
    // command's arguments on the line).
    static std::optional<QString> NumberText(const QString& typed);

    // The widgets are children of `parent`.
    SettingsRow(Engine& engine, Spec spec, QWidget* parent);

    // Lays the row out from `gridRow` on, in the columns caption, line
    // label, value box, "Прочитать", input, write button; `gridRow` moves
    // past the row.
    void AddTo(QGridLayout* grid, int& gridRow);

    // Both buttons follow whether the engine takes a command now.
    void UpdateControls(bool commandsAccepted);
    void ShowValues(const SensorParameters& parameters);

    // The request the write button would send now: nullopt when an input
    // gives nothing (an empty edit, a list without selection). `refusal`
    // gets the message for a typed value that is not a number.
    std::optional<SensorCommandRequest> Compose(QString* refusal = nullptr) const;

    // Must the write go out? Runs after the inputs were read, before the
    // request (the temperature calibration asks whether the heater is off).
    void SetWriteGuard(std::function<bool()> guard) { guard_ = std::move(guard); }

    const Spec& GetSpec() const { return spec_; }
    std::size_t LineCount() const { return spec_.lines.size(); }
    QLabel* Caption() const { return caption_; }
    QLineEdit* ValueBox(std::size_t line) const;
    QComboBox* InputList(std::size_t line) const;
    QLineEdit* InputEdit(std::size_t line) const;
    QPushButton* ReadButton() const { return readButton_; }
    QPushButton* WriteButton() const { return writeButton_; }

public slots:
    void OnRead();
    void OnWrite();

signals:
    // The engine refused the request (busy, or in a mode that takes none).
    void Refused();

private:
    Engine& engine_;
    Spec spec_;
    QWidget* parent_;
    QLabel* caption_ = nullptr;
    std::vector<QLabel*> labels_;
    std::vector<QLineEdit*> boxes_;
    std::vector<QComboBox*> lists_;
    std::vector<QLineEdit*> edits_;
    QPushButton* readButton_ = nullptr;
    QPushButton* writeButton_ = nullptr;
    std::function<bool()> guard_;
};
