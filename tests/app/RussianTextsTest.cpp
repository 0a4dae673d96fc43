// Qt's own texts in Russian: the program's message boxes, the context menu
// of every edit field and the file dialog, as the user meets them (real
// widgets, no test hooks).
#include <gtest/gtest.h>

#include "QtPrinters.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

#include "CKorvanSensorSetupApp.h"
#include "MessageBoxes.h"

namespace {

bool HasCyrillic(const QString& text)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return cyrillic.match(text).hasMatch();
}

// The texts of the buttons of a message box, read while it is open; then
// the box is answered with the button whose text is `press`.
struct OpenBox {
    QStringList buttons;
    QString caption;
};

OpenBox ShowAndAnswer(const MessageBoxes::Request& request, const QString& press, int& result)
{
    OpenBox seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        seen.caption = box->windowTitle();
        QAbstractButton* toPress = nullptr;
        for (QAbstractButton* b : box->buttons()) {
            seen.buttons << b->text();
            if (b->text() == press)
                toPress = b;
        }
        if (toPress != nullptr)
            toPress->click();
        else
            box->reject();
    });
    result = MessageBoxes::Show(request);
    seen.buttons.sort();
    return seen;
}

TEST(RussianTexts, QtsOwnTranslationIsLoaded)
{
    auto* app = static_cast<CKorvanSensorSetupApp*>(qApp);
    EXPECT_TRUE(app->QtTranslationsLoaded()) << "qtbase_ru.qm: install qt6-translations-l10n";
}

TEST(RussianTexts, TheProgramsMessageBoxesHaveRussianButtons)
{
    const struct {
        MessageBoxes::Buttons buttons;
        QStringList texts; // sorted
        const char* press;
        int result;
    } cases[] = {
        {MessageBoxes::Buttons::Ok, {"OK"}, "OK", MessageBoxes::kOk},
        {MessageBoxes::Buttons::OkCancel, {"OK", "Отмена"}, "Отмена", MessageBoxes::kCancel},
        {MessageBoxes::Buttons::YesNo, {"Да", "Нет"}, "Да", MessageBoxes::kYes},
        {MessageBoxes::Buttons::YesNo, {"Да", "Нет"}, "Нет", MessageBoxes::kNo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.press);
        int result = -1;
        const OpenBox seen = ShowAndAnswer({nullptr, "Внимание!", "Текст", MessageBoxes::Icon::Question, c.buttons},
                                           QString::fromUtf8(c.press), result);
        EXPECT_EQ(seen.buttons, c.texts);
        EXPECT_EQ(seen.caption, "Внимание!");
        EXPECT_EQ(result, c.result);
    }
}

TEST(RussianTexts, EscOnAQuestionAnswersNo)
{
    int result = -1;
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            QTest::keyClick(box, Qt::Key_Escape);
    });
    result = MessageBoxes::Show({nullptr, "Внимание!", "Закрыть?", MessageBoxes::Icon::Question,
                                 MessageBoxes::Buttons::YesNo});
    EXPECT_EQ(result, MessageBoxes::kNo);
}

TEST(RussianTexts, TheContextMenuOfAnEditField)
{
    QLineEdit edit(QStringLiteral("12.5"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    ASSERT_NE(menu, nullptr);
    int texts = 0;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        ++texts;
        EXPECT_TRUE(HasCyrillic(action->text())) << action->text().toStdString();
    }
    EXPECT_GE(texts, 5); // undo, redo, cut, copy, paste, delete, select all
}

TEST(RussianTexts, TheFileDialogsButtons)
{
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    auto* box = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    ASSERT_FALSE(box->buttons().isEmpty());
    for (QAbstractButton* b : box->buttons())
        EXPECT_TRUE(HasCyrillic(b->text())) << b->text().toStdString();
}

} // namespace
