// The editable grid list under the parameter and journal pages: editor input
// rules, the keys that commit and cancel, sorting, the empty-list text, the
// per-row editors, drop-down item data and the font and colour hooks. The
// widgets run under the offscreen platform; keys and clicks go through
// Qt's event delivery, so the delegate's event filter sees them as a user's.

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

#include "CGridColumnTraitCombo.h"
#include "CGridColumnTraitEdit.h"
#include "CGridColumnTraitEditFloat.h"
#include "CGridColumnTraitEditPacked.h"
#include "CGridColumnTraitText.h"
#include "CGridColumnTraitVariant.h"
#include "CGridEditorComboBox.h"
#include "CGridEditorComboBoxEdit.h"
#include "CGridEditorText.h"
#include "CGridEditorTextFloat.h"
#include "CGridListCtrlEx.h"
#include "CGridRowTraitText.h"
#include "CGridRowTraitXP.h"

namespace {

struct Commit {
    int row;
    int column;
    QString text;
    quint32 data;
};

const QColor kModified(0, 255, 255);

// A list as the pages subclass it: the override calls the base and acts on
// what it accepted; fonts and colours come from the list's own state.
class PageList : public CGridListCtrlEx {
public:
    using CGridListCtrlEx::OnEditComplete;

    bool OnEditComplete(int row, int column, const QString& text, quint32 itemData) override
    {
        const bool accepted = CGridListCtrlEx::OnEditComplete(row, column, text, itemData);
        if (accepted)
            accepted_.push_back(Commit{row, column, text, itemData});
        return accepted;
    }

    bool OnCellFont(int row, int column, QFont& font) const override
    {
        if (column != 2 || row != boldRow)
            return false;
        font.setBold(true);
        return true;
    }

    bool OnCellColors(int row, int column, QColor& textColor, QColor& backColor) const override
    {
        (void)textColor;
        if (column != 2 || row != modifiedRow)
            return false;
        backColor = kModified;
        return true;
    }

    std::vector<Commit> accepted_;
    int boldRow = -1;
    int modifiedRow = -1;
};

// Rows of the parameter list used below, one editor kind each.
enum Row { kDigits = 0, kText, kFloat, kPacked, kCombo, kReadOnly, kRowCount };

// A window holding a parameter list set up as the pages do it, and a field
// the focus can move to.
struct ParameterWindow {
    ParameterWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        list = new PageList;
        elsewhere = new QLineEdit;
        layout->addWidget(list);
        layout->addWidget(elsewhere);

        list->EnableToolTips(false);
        list->SetCellMargin(1.2);
        list->SetRowTrait(std::make_unique<CGridRowTraitXP>());
        list->SetExplorerStyle();
        list->InsertHiddenLabelColumn();
        list->InsertColumn(1, QStringLiteral("Название параметра"), Qt::AlignLeft, 290);

        auto variant = std::make_unique<CGridColumnTraitVariant>();
        auto digits = std::make_unique<CGridColumnTraitEdit>();
        digits->SetDigitsOnly(true);
        digits->SetMaxLength(3);
        variant->SetRowTrait(kDigits, std::move(digits));
        auto text = std::make_unique<CGridColumnTraitEdit>();
        text->SetMaxLength(8);
        variant->SetRowTrait(kText, std::move(text));
        variant->SetRowTrait(kFloat, std::make_unique<CGridColumnTraitEditFloat>());
        auto packed = std::make_unique<CGridColumnTraitEditPacked>();
        packed->SetMaxLength(8);
        variant->SetRowTrait(kPacked, std::move(packed));
        // Item data that differ from the positions, so that a position
        // reported in their place shows.
        auto combo = std::make_unique<CGridColumnTraitCombo>();
        combo->AddItem(5, QStringLiteral("отключен"));
        combo->AddItem(7, QStringLiteral("порог 1"));
        combo->AddItem(9, QStringLiteral("порог 2"));
        variant->SetRowTrait(kCombo, std::move(combo));
        list->InsertColumn(2, QStringLiteral("Значение"), Qt::AlignLeft, 300, std::move(variant));

        const char* labels[kRowCount] = {"Идентификатор MODBUS", "Единица измерений", "Значение порога 1",
                                         "Короткая метка (Short Tag)", "Режим звука", "Код аналита"};
        for (int row = 0; row < kRowCount; ++row) {
            list->InsertRow(row);
            list->SetCellText(row, 1, QString::fromUtf8(labels[row]));
        }
        list->SetCellText(kCombo, 2, QStringLiteral("порог 1"));

        window.resize(700, 400);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        spy = std::make_unique<QSignalSpy>(list, &CGridListCtrlEx::cellCommitted);
    }

    // The commits the owner was told of, by signal; they must match what
    // the override saw.
    std::vector<Commit> Commits() const
    {
        std::vector<Commit> commits;
        for (const QList<QVariant>& args : *spy)
            commits.push_back(Commit{args[0].toInt(), args[1].toInt(), args[2].toString(), args[3].value<quint32>()});
        EXPECT_EQ(commits.size(), list->accepted_.size());
        return commits;
    }

    QWidget window;
    PageList* list;
    QLineEdit* elsewhere;
    std::unique_ptr<QSignalSpy> spy;
};

int KeyFor(QChar ch)
{
    if (ch >= QLatin1Char('a') && ch <= QLatin1Char('z'))
        return Qt::Key_A + (ch.unicode() - u'a');
    return ch.toUpper().unicode();
}

// Types text key by key as a keyboard would, Cyrillic included (QTest's
// own typing knows Latin-1 only).
void Type(QWidget* widget, const QString& text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, KeyFor(ch), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, KeyFor(ch), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}

void Settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

// ---------------------------------------------------------------------------

struct InputCase {
    const char* name;
    int row;
    const char* initial;  // the cell's text before the edit
    bool atEnd;           // type after the cell's text instead of over it
    const char* typed;    // typed key by key
    const char* pasted;   // then inserted at once, as a paste
    const char* expected;
};

const InputCase kInputCases[] = {
    {"float cell refuses a typed comma", kFloat, "", false, "12,3", "", "123"},
    {"float cell takes digits, minus and point", kFloat, "", false, "-0.5", "", "-0.5"},
    {"float cell refuses letters and blanks", kFloat, "", false, "1e 5", "", "15"},
    {"float cell refuses a paste with a comma whole", kFloat, "", false, "7", "1,5", "7"},
    {"float cell keeps the cell's comma but refuses a new one", kFloat, "1,5", true, ",7", "", "1,57"},
    {"packed cell upper-cases a-z", kPacked, "", false, "abc?", "", "ABC?"},
    {"packed cell refuses Cyrillic", kPacked, "", false, "aбвz1", "", "AZ1"},
    {"packed cell refuses characters from 96 up", kPacked, "", false, "`{|}~x", "", "X"},
    {"packed cell upper-cases a paste", kPacked, "", false, "", "tag_1", "TAG_1"},
    {"packed cell refuses a paste with Cyrillic whole", kPacked, "", false, "Q", "тег", "Q"},
    {"packed cell stops at its limit", kPacked, "", false, "abcdefghij", "", "ABCDEFGH"},
    {"digits cell refuses non-digits", kDigits, "", false, "1a-2", "", "12"},
    {"digits cell stops typing at its limit", kDigits, "", false, "12345", "", "123"},
    {"digits cell cuts a paste to its limit", kDigits, "", false, "", "98765", "987"},
    {"digits cell refuses a paste with a letter whole", kDigits, "", false, "4", "5x", "4"},
    {"digits cell keeps a longer cell text but takes no more", kDigits, "1234", true, "5", "", "1234"},
    {"text cell takes Cyrillic up to its limit", kText, "", false, "Датчик-12", "", "Датчик-1"},
    {"typing replaces the cell text", kText, "ppm", false, "%НКПР", "", "%НКПР"},
};

void PrintTo(const InputCase& c, std::ostream* os)
{
    *os << c.name;
}

class EditorInputRules : public ::testing::TestWithParam<InputCase> {};

TEST_P(EditorInputRules, EditorHoldsOnlyWhatTheCellAllowsAndCommitsIt)
{
    const InputCase& c = GetParam();
    ParameterWindow w;
    w.list->SetCellText(c.row, 2, QString::fromUtf8(c.initial));
    auto* editor = qobject_cast<QLineEdit*>(w.list->EditCell(c.row, 2));
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->text(), QString::fromUtf8(c.initial));
    if (c.atEnd)
        editor->end(false);
    Type(editor, QString::fromUtf8(c.typed));
    if (*c.pasted)
        editor->insert(QString::fromUtf8(c.pasted));
    EXPECT_EQ(editor->text(), QString::fromUtf8(c.expected));

    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    const std::vector<Commit> commits = w.Commits();
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].text, QString::fromUtf8(c.expected));
    EXPECT_EQ(w.list->CellText(c.row, 2), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, EditorInputRules, ::testing::ValuesIn(kInputCases),
                         [](const ::testing::TestParamInfo<InputCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// ---------------------------------------------------------------------------

enum class Ending { Return, KeypadEnter, Tab, FocusLoss, WheelOnEditor, WheelOnList };

struct EndingCase {
    const char* name;
    Ending ending;
};

const EndingCase kCommitEndings[] = {
    {"Return", Ending::Return},           {"KeypadEnter", Ending::KeypadEnter},
    {"Tab", Ending::Tab},                 {"FocusLoss", Ending::FocusLoss},
    {"WheelOnEditor", Ending::WheelOnEditor}, {"WheelOnList", Ending::WheelOnList},
};

void SendWheel(QWidget* target)
{
    const QPointF pos(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent wheel(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

void PrintTo(const EndingCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommitEndings : public ::testing::TestWithParam<EndingCase> {};

TEST_P(CommitEndings, CommitIsReportedOnceWithTheNewText)
{
    ParameterWindow w;
    w.list->SetCellText(kText, 2, QStringLiteral("ppm"));
    QWidget* editor = w.list->EditCell(kText, 2);
    ASSERT_NE(editor, nullptr);
    Type(editor, QStringLiteral("мг/м3"));

    switch (GetParam().ending) {
    case Ending::Return:
        QTest::keyClick(editor, Qt::Key_Return);
        break;
    case Ending::KeypadEnter:
        QTest::keyClick(editor, Qt::Key_Enter, Qt::KeypadModifier);
        break;
    case Ending::Tab:
        QTest::keyClick(editor, Qt::Key_Tab);
        break;
    case Ending::FocusLoss:
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window));
        editor->setFocus();
        ASSERT_TRUE(editor->hasFocus());
        w.elsewhere->setFocus();
        break;
    case Ending::WheelOnEditor:
        SendWheel(editor);
        break;
    case Ending::WheelOnList:
        SendWheel(w.list->viewport());
        break;
    }
    Settle();

    EXPECT_EQ(w.list->CellEditor(), nullptr);
    const std::vector<Commit> commits = w.Commits();
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].row, kText);
    EXPECT_EQ(commits[0].column, 2);
    EXPECT_EQ(commits[0].text, QStringLiteral("мг/м3"));
    EXPECT_EQ(commits[0].data, 0u);
    EXPECT_EQ(w.list->CellText(kText, 2), QStringLiteral("мг/м3"));
}

INSTANTIATE_TEST_SUITE_P(Keys, CommitEndings, ::testing::ValuesIn(kCommitEndings),
                         [](const ::testing::TestParamInfo<EndingCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------

TEST(GridListEscape, CancelsWithoutCommitAndKeepsTheCellText)
{
    struct Case {
        int row;
        const char* before;
        std::function<void(QWidget*)> change;
    };
    const Case cases[] = {
        {kText, "ppm", [](QWidget* e) { Type(e, QStringLiteral("мг")); }},
        {kFloat, "12.5", [](QWidget* e) { Type(e, QStringLiteral("99")); }},
        {kCombo, "порог 1", [](QWidget* e) { QTest::keyClick(e, Qt::Key_Down); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        ParameterWindow w;
        w.list->SetCellText(c.row, 2, QString::fromUtf8(c.before));
        QWidget* editor = w.list->EditCell(c.row, 2);
        ASSERT_NE(editor, nullptr);
        c.change(editor);
        QTest::keyClick(editor, Qt::Key_Escape);
        Settle();
        EXPECT_EQ(w.list->CellEditor(), nullptr);
        EXPECT_TRUE(w.Commits().empty());
        EXPECT_EQ(w.list->CellText(c.row, 2), QString::fromUtf8(c.before));
        EXPECT_EQ(w.list->model()->index(c.row, 2).data().toString(), QString::fromUtf8(c.before));
    }
}

TEST(GridListEditing, RewritingTheCellDuringAnEditKeepsWhatIsTyped)
{
    // The polling pages rewrite every value cell once a cycle.
    ParameterWindow w;
    w.list->SetCellText(kText, 2, QStringLiteral("ppm"));
    auto* editor = qobject_cast<QLineEdit*>(w.list->EditCell(kText, 2));
    ASSERT_NE(editor, nullptr);
    Type(editor, QStringLiteral("%"));
    w.list->SetCellText(kText, 2, QStringLiteral("ppb"));
    Settle();
    EXPECT_EQ(editor->text(), QStringLiteral("%"));
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
    const std::vector<Commit> commits = w.Commits();
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].text, QStringLiteral("%"));
}

TEST(GridListEditing, RowsRemovedDuringAnEditCloseTheEditorWithoutCommit)
{
    // A failed poll empties the list while the engineer may be typing.
    ParameterWindow w;
    QWidget* editor = w.list->EditCell(kText, 2);
    ASSERT_NE(editor, nullptr);
    Type(editor, QStringLiteral("ppm"));
    w.list->DeleteAllRows();
    w.list->SetEmptyText(QStringLiteral("Ошибка обмена с датчиком!"));
    Settle();
    EXPECT_EQ(w.list->CellEditor(), nullptr);
    EXPECT_EQ(w.list->RowCount(), 0);
    EXPECT_TRUE(w.Commits().empty());
    // The list is usable again at once.
    w.list->InsertRow(0);
    EXPECT_NE(w.list->EditCell(0, 2), nullptr);
}

TEST(GridListEditing, DoubleClickOpensTheEditorAndF2DoesNot)
{
    ParameterWindow w;
    const QModelIndex value = w.list->model()->index(kText, 2);
    w.list->setCurrentIndex(value);
    w.list->setFocus();
    QTest::keyClick(w.list, Qt::Key_F2);
    EXPECT_EQ(w.list->CellEditor(), nullptr);

    // A double click as the window system delivers it: a click, then the
    // second press as a double click.
    auto doubleClick = [&](const QModelIndex& index) {
        const QPoint centre = w.list->visualRect(index).center();
        QTest::mouseClick(w.list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QTest::mouseDClick(w.list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
        QTest::mouseRelease(w.list->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    };
    doubleClick(w.list->model()->index(kFloat, 2));
    auto* editor = qobject_cast<CGridEditorTextFloat*>(w.list->CellEditor());
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Escape);
    Settle();

    // A read-only cell opens nothing.
    doubleClick(w.list->model()->index(kReadOnly, 2));
    EXPECT_EQ(w.list->CellEditor(), nullptr);
}

TEST(GridListEditing, BaseStoresOnlyEditsOfEditableCellsWithAllowedTexts)
{
    ParameterWindow w;
    w.list->SetCellText(kReadOnly, 2, QStringLiteral("CH4"));
    EXPECT_FALSE(w.list->OnEditComplete(kReadOnly, 2, QStringLiteral("CO"), 0));
    EXPECT_EQ(w.list->CellText(kReadOnly, 2), QStringLiteral("CH4"));
    EXPECT_FALSE(w.list->OnEditComplete(kText, 1, QStringLiteral("label"), 0));
    // A drop-down stores its own entries only.
    EXPECT_FALSE(w.list->OnEditComplete(kCombo, 2, QStringLiteral("порог 3"), 11));
    EXPECT_EQ(w.list->CellText(kCombo, 2), QStringLiteral("порог 1"));
    EXPECT_FALSE(w.list->OnEditComplete(kRowCount, 2, QStringLiteral("x"), 0));
    EXPECT_TRUE(w.list->OnEditComplete(kCombo, 2, QStringLiteral("порог 2"), 9));
    EXPECT_EQ(w.list->CellText(kCombo, 2), QStringLiteral("порог 2"));
}

// ---------------------------------------------------------------------------

TEST(GridListVariant, EachRowGetsItsOwnEditor)
{
    struct Case {
        int row;
        int column;
        const char* editorClass;  // null: the cell is read-only
    };
    const Case cases[] = {
        {kDigits, 2, "CGridEditorText"},        {kText, 2, "CGridEditorText"},
        {kFloat, 2, "CGridEditorTextFloat"},    {kPacked, 2, "CGridEditorTextPacked"},
        {kCombo, 2, "CGridEditorComboBox"},     {kReadOnly, 2, nullptr},
        {kText, 1, nullptr},                    {kText, 0, nullptr},
    };
    ParameterWindow w;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
        const bool editable = w.list->model()->index(c.row, c.column).flags().testFlag(Qt::ItemIsEditable);
        EXPECT_EQ(editable, c.editorClass != nullptr);
        QWidget* editor = w.list->EditCell(c.row, c.column);
        if (!c.editorClass) {
            EXPECT_EQ(editor, nullptr);
            continue;
        }
        ASSERT_NE(editor, nullptr);
        EXPECT_STREQ(editor->metaObject()->className(), c.editorClass);
        QTest::keyClick(editor, Qt::Key_Escape);
        Settle();
    }
    auto* digits = qobject_cast<CGridEditorText*>(w.list->EditCell(kDigits, 2));
    ASSERT_NE(digits, nullptr);
    EXPECT_TRUE(digits->IsDigitsOnly());
    EXPECT_EQ(digits->MaxLength(), 3);
}

// ---------------------------------------------------------------------------

TEST(GridListCombo, CommitReportsTheChosenEntrysItemData)
{
    struct Case {
        const char* name;
        std::function<void(CGridEditorComboBox*)> choose;
        const char* text;
        quint32 data;
    };
    const Case cases[] = {
        {"arrow down then Enter",
         [](CGridEditorComboBox* combo) {
             QTest::keyClick(combo, Qt::Key_Down);
             QTest::keyClick(combo, Qt::Key_Return);
         },
         "порог 2", 9},
        {"arrow up then Tab",
         [](CGridEditorComboBox* combo) {
             QTest::keyClick(combo, Qt::Key_Up);
             QTest::keyClick(combo, Qt::Key_Tab);
         },
         "отключен", 5},
        {"picked from the open list",
         [](CGridEditorComboBox* combo) {
             combo->showPopup();
             QAbstractItemView* view = combo->view();
             view->setCurrentIndex(view->model()->index(0, 0));
             QTest::keyClick(view, Qt::Key_Return);
         },
         "отключен", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterWindow w;
        auto* combo = qobject_cast<CGridEditorComboBox*>(w.list->EditCell(kCombo, 2));
        ASSERT_NE(combo, nullptr);
        // It opens on the cell's entry, and moving over the closed list
        // commits nothing yet.
        EXPECT_EQ(combo->currentText(), QStringLiteral("порог 1"));
        EXPECT_EQ(combo->count(), 3);
        c.choose(combo);
        // The commit comes with the choice itself, not later from the focus
        // wandering off (closing the open list deactivates the offscreen
        // window, which would commit too).
        EXPECT_EQ(w.spy->count(), 1);
        Settle();
        EXPECT_EQ(w.list->CellEditor(), nullptr);
        const std::vector<Commit> commits = w.Commits();
        ASSERT_EQ(commits.size(), 1u);
        EXPECT_EQ(commits[0].row, kCombo);
        EXPECT_EQ(commits[0].text, QString::fromUtf8(c.text));
        EXPECT_EQ(commits[0].data, c.data);
        EXPECT_EQ(w.list->CellText(kCombo, 2), QString::fromUtf8(c.text));
    }
}

TEST(GridListCombo, ArrowKeysOnTheClosedListCommitNothing)
{
    ParameterWindow w;
    auto* combo = qobject_cast<CGridEditorComboBox*>(w.list->EditCell(kCombo, 2));
    ASSERT_NE(combo, nullptr);
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Up);
    Settle();
    EXPECT_EQ(w.list->CellEditor(), combo);
    EXPECT_TRUE(w.Commits().empty());
}

TEST(GridListCombo, TextEditableDropDownReportsTypedTextAndEntryData)
{
    ParameterWindow w;
    auto* variant = dynamic_cast<CGridColumnTraitVariant*>(w.list->ColumnTrait(2));
    ASSERT_NE(variant, nullptr);
    auto units = std::make_unique<CGridColumnTraitCombo>();
    units->SetTextEditable(true);
    units->SetMaxLength(6);
    units->AddItem(1, QStringLiteral("ppm"));
    units->AddItem(2, QStringLiteral("%НКПР"));
    variant->SetRowTrait(kReadOnly, std::move(units));

    struct Case {
        const char* typed;
        const char* text;
        quint32 data;
    };
    const Case cases[] = {
        {"%НКПР", "%НКПР", 2},
        {"мг/м3 и больше", "мг/м3 ", 0},  // no entry's text, cut to the limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        w.spy->clear();
        w.list->accepted_.clear();
        auto* combo = qobject_cast<CGridEditorComboBox*>(w.list->EditCell(kReadOnly, 2));
        ASSERT_NE(combo, nullptr);
        ASSERT_NE(qobject_cast<CGridEditorComboBoxEdit*>(combo->lineEdit()), nullptr);
        combo->lineEdit()->selectAll();
        Type(combo, QString::fromUtf8(c.typed));
        QTest::keyClick(combo, Qt::Key_Return);
        Settle();
        const std::vector<Commit> commits = w.Commits();
        ASSERT_EQ(commits.size(), 1u);
        EXPECT_EQ(commits[0].text, QString::fromUtf8(c.text));
        EXPECT_EQ(commits[0].data, c.data);
    }
}

// ---------------------------------------------------------------------------

// A journal list: the date column sorts, the event column does not.
struct JournalWindow {
    JournalWindow()
    {
        list = new CGridListCtrlEx(&window);
        list->SetCellMargin(1.2);
        list->SetRowTrait(std::make_unique<CGridRowTraitXP>());
        list->InsertHiddenLabelColumn();
        auto date = std::make_unique<CGridColumnTraitText>();
        date->SetSortable(true);
        list->InsertColumn(1, QStringLiteral("Дата/время"), Qt::AlignLeft, 200, std::move(date));
        list->InsertColumn(2, QStringLiteral("Событие"), Qt::AlignLeft, 300);
        const char* rows[][2] = {{"2024.03.05 10:00:00", "Питание включено"},
                                 {"2023.12.31 23:59:59", "Питание выключено"},
                                 {"2024.01.15 08:30:00", "Отказ сенсора"}};
        for (const auto& row : rows) {
            const int at = list->InsertRow(list->RowCount());
            list->SetCellText(at, 1, QString::fromUtf8(row[0]));
            list->SetCellText(at, 2, QString::fromUtf8(row[1]));
        }
        window.resize(600, 300);
        list->resize(600, 300);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void ClickHeader(int column)
    {
        QHeaderView* header = list->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    QStringList Dates() const
    {
        QStringList dates;
        for (int row = 0; row < list->RowCount(); ++row)
            dates << list->CellText(row, 1).left(4) + list->CellText(row, 1).mid(5, 2);
        return dates;
    }

    QWidget window;
    CGridListCtrlEx* list;
};

TEST(GridListSorting, HeaderClicksSortAscendingThenToggleAndShowTheDirection)
{
    JournalWindow w;
    EXPECT_EQ(w.list->SortColumn(), -1);
    EXPECT_EQ(w.list->horizontalHeader()->sortIndicatorSection(), -1);

    struct Step {
        int click;
        QStringList dates;  // year and month of each row after the click
        int sortColumn;
        bool ascending;
    };
    const Step steps[] = {
        {1, {"202312", "202401", "202403"}, 1, true},
        {1, {"202403", "202401", "202312"}, 1, false},
        // The event column does not sort and does not take the arrow.
        {2, {"202403", "202401", "202312"}, 1, false},
        {1, {"202312", "202401", "202403"}, 1, true},
    };
    for (const Step& step : steps) {
        w.ClickHeader(step.click);
        Settle();
        EXPECT_EQ(w.Dates(), step.dates);
        EXPECT_EQ(w.list->SortColumn(), step.sortColumn);
        EXPECT_EQ(w.list->IsSortAscending(), step.ascending);
        EXPECT_EQ(w.list->horizontalHeader()->sortIndicatorSection(), step.sortColumn);
        EXPECT_EQ(w.list->horizontalHeader()->sortIndicatorOrder(),
                  step.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    // The events moved with their dates.
    EXPECT_EQ(w.list->CellText(0, 2), QStringLiteral("Питание выключено"));
}

TEST(GridListSorting, EventColumnAloneNeverSorts)
{
    JournalWindow w;
    const QStringList before = w.Dates();
    w.ClickHeader(2);
    w.ClickHeader(2);
    Settle();
    EXPECT_EQ(w.Dates(), before);
    EXPECT_EQ(w.list->SortColumn(), -1);
    EXPECT_EQ(w.list->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_FALSE(w.list->SortByColumn(2, true));
}

// ---------------------------------------------------------------------------

// Pixels drawn in the list's text colour, and where they lie.
struct Ink {
    int count = 0;
    QRect bounds;
};

Ink InkIn(const QImage& image, const QColor& ink)
{
    Ink found;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - ink.red()) < 40 && std::abs(c.green() - ink.green()) < 40 &&
                std::abs(c.blue() - ink.blue()) < 40) {
                ++found.count;
                found.bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return found;
}

TEST(GridListEmptyText, IsPaintedOnlyWhileTheListHasNoRows)
{
    JournalWindow w;
    QWidget* viewport = w.list->viewport();
    const QColor ink = viewport->palette().color(QPalette::Text);
    ASSERT_GT(std::abs(ink.lightness() - viewport->palette().color(QPalette::Base).lightness()), 100);

    struct Case {
        const char* name;
        const char* text;
        bool rows;
        bool painted;
    };
    const Case cases[] = {
        {"no rows, a text", "Журнал пуст", false, true},
        {"no rows, no text", "", false, false},
        {"rows, a text", "Журнал пуст", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w.list->DeleteAllRows();
        if (c.rows)
            w.list->InsertRow(0);
        w.list->SetEmptyText(QString::fromUtf8(c.text));
        const QImage image = viewport->grab().toImage();
        const Ink found = InkIn(image, ink);
        if (!c.painted) {
            EXPECT_EQ(found.count, 0);
            continue;
        }
        EXPECT_GT(found.count, 20);
        // Centred across the list, in its upper part where the rows would be.
        EXPECT_LT(std::abs(found.bounds.center().x() - image.width() / 2), image.width() / 10);
        EXPECT_LT(found.bounds.bottom(), image.height() / 3);
    }
}

// ---------------------------------------------------------------------------

TEST(GridListHooks, CellFontAndColoursReachTheCellsAndThePaint)
{
    ParameterWindow w;
    w.list->boldRow = kDigits;
    w.list->modifiedRow = kText;
    w.list->SetCellText(kDigits, 2, QStringLiteral("1"));
    w.list->RedrawCells();
    QAbstractItemModel* model = w.list->model();

    const QVariant boldFont = model->index(kDigits, 2).data(Qt::FontRole);
    ASSERT_TRUE(boldFont.isValid());
    EXPECT_TRUE(boldFont.value<QFont>().bold());
    EXPECT_FALSE(model->index(kText, 2).data(Qt::FontRole).isValid());
    EXPECT_FALSE(model->index(kDigits, 1).data(Qt::FontRole).isValid());

    const QVariant background = model->index(kText, 2).data(Qt::BackgroundRole);
    ASSERT_TRUE(background.isValid());
    EXPECT_EQ(background.value<QBrush>().color(), kModified);
    EXPECT_FALSE(model->index(kDigits, 2).data(Qt::BackgroundRole).isValid());

    // And on the screen: the modified value cell is highlighted, its
    // neighbours are not.
    w.list->clearSelection();
    const QImage image = w.list->viewport()->grab().toImage();
    auto probe = [&](int row, int column) {
        const QRect cell = w.list->visualRect(model->index(row, column));
        return image.pixelColor(cell.right() - 3, cell.center().y());
    };
    EXPECT_EQ(probe(kText, 2), kModified);
    EXPECT_NE(probe(kDigits, 2), kModified);
    EXPECT_NE(probe(kText, 1), kModified);

    // An editor opened on a bold cell writes bold.
    QWidget* editor = w.list->EditCell(kDigits, 2);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->font().bold());
}

TEST(GridListHooks, CellColourHookOverridesTheRowTrait)
{
    ParameterWindow w;
    auto rows = std::make_unique<CGridRowTraitText>();
    const QColor alternate(230, 230, 230);
    rows->SetAltRowColors(QColor(), alternate);
    w.list->SetRowTrait(std::move(rows));
    w.list->modifiedRow = kPacked;  // an odd row

    auto back = [&](int row) { return w.list->model()->index(row, 2).data(Qt::BackgroundRole); };
    EXPECT_FALSE(back(kDigits).isValid());
    EXPECT_EQ(back(kText).value<QBrush>().color(), alternate);
    EXPECT_EQ(back(kPacked).value<QBrush>().color(), kModified);
}

TEST(GridListRows, XpRowsKeepTheSelectionMarkedWithoutFocus)
{
    CGridListCtrlEx list;
    list.SetRowTrait(std::make_unique<CGridRowTraitXP>());
    const QPalette palette = list.palette();
    EXPECT_EQ(palette.color(QPalette::Inactive, QPalette::Highlight),
              palette.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST(GridListRows, CellMarginMakesRowsTallerThanTheFont)
{
    ParameterWindow w;
    const int expected = int(std::ceil(w.list->fontMetrics().height() * 1.2));
    EXPECT_EQ(w.list->rowHeight(0), expected);
    EXPECT_GT(w.list->rowHeight(0), w.list->fontMetrics().height());
}

TEST(GridListColumns, HiddenLabelColumnAndColumnMenu)
{
    ParameterWindow w;
    EXPECT_TRUE(w.list->isColumnHidden(0));
    EXPECT_EQ(w.list->ColumnCount(), 3);
    w.list->InsertRow(kRowCount, QStringLiteral("label"));
    EXPECT_EQ(w.list->CellText(kRowCount, 0), QStringLiteral("label"));

    std::unique_ptr<QMenu> menu(w.list->CreateColumnMenu(nullptr));
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);  // the label column is not offered
    EXPECT_EQ(actions[0]->text(), QStringLiteral("Название параметра"));
    EXPECT_TRUE(actions[0]->isChecked());
    actions[0]->trigger();
    EXPECT_TRUE(w.list->isColumnHidden(1));

    menu.reset(w.list->CreateColumnMenu(nullptr));
    actions = menu->actions();
    EXPECT_FALSE(actions[0]->isChecked());
    // The one column left cannot be hidden too.
    EXPECT_FALSE(actions[1]->isEnabled());
    actions[0]->trigger();
    EXPECT_FALSE(w.list->isColumnHidden(1));
    EXPECT_EQ(w.list->columnWidth(1), 290);
}

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform notes each window feature it lacks (size hints,
// raising, keyboard grabs); those notes would bury a test's own output.
void QuietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(QuietPlatformNotes);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    // One style for every desktop, so that what is painted is what the
    // pixel checks expect.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    return RUN_ALL_TESTS();
}
