#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QValidator>

#include <memory>

#include "AppContext.h"
#include "AppTestSupport.h"
#include "ConnectionDlg.h"
#include "PasswordDialog.h"
#include "Settings.h"
#include "StringTable.h"

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetStored(int modbus, int hart, int mg, int count)
    {
        {
            QSettings s(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
            s.setValue("Connection/ModbusPort", modbus);
            s.setValue("Connection/HartPort", hart);
            s.setValue("Connection/MgPort", mg);
            s.setValue("Connection/MgCount", count);
        }
        Settings::LoadConnection();
    }

    // The store's file as text; empty when nothing was written.
    QByteArray StoreBytes() const
    {
        QFile f(folder_.StoreFile());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TempSettings folder_;
    std::unique_ptr<AppContext> app_ = std::make_unique<AppContext>();
};

TEST_F(DialogsTest, ConnectionDialogShowsTheCurrentSettings)
{
    SetStored(5, 0, 12, 1);
    ConnectionDlg dlg;
    EXPECT_EQ(dlg.ModbusPortEdit()->text(), "5");
    EXPECT_EQ(dlg.HartPortEdit()->text(), ""); // 0: not set
    EXPECT_EQ(dlg.MgPortEdit()->text(), "12");
    ASSERT_EQ(dlg.MgCountList()->count(), 19);
    EXPECT_EQ(dlg.MgCountList()->itemText(0), "2");
    EXPECT_EQ(dlg.MgCountList()->itemText(18), "20");
    // A stored 1 loads as 2.
    EXPECT_EQ(dlg.MgCountList()->currentText(), "2");
}

TEST_F(DialogsTest, OkWithoutChangesClosesAsCancelAndWritesNothing)
{
    SetStored(1, 2, 3, 10);
    const QByteArray before = StoreBytes();
    ConnectionDlg dlg;
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(StoreBytes(), before);
}

TEST_F(DialogsTest, OkWithoutAnyStoreWritesNothing)
{
    Settings::LoadConnection();
    ConnectionDlg dlg;
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_FALSE(QFile::exists(folder_.StoreFile()));
}

TEST_F(DialogsTest, ChangedValuesAreSavedAndAClearedFieldStoresZero)
{
    SetStored(4, 5, 6, 10);
    ConnectionDlg dlg;
    dlg.ModbusPortEdit()->clear();
    dlg.HartPortEdit()->setText("17");
    dlg.MgCountList()->setCurrentIndex(0);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(app_->modbusPort, 0);
    EXPECT_EQ(app_->hartPort, 17);
    EXPECT_EQ(app_->mgPort, 6);
    EXPECT_EQ(app_->mgCount, 2);
    QSettings s(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
    EXPECT_EQ(s.value("Connection/ModbusPort").toInt(), 0);
    EXPECT_EQ(s.value("Connection/HartPort").toInt(), 17);
    EXPECT_EQ(s.value("Connection/MgCount").toInt(), 2);
}

TEST_F(DialogsTest, CancelChangesNothing)
{
    SetStored(4, 5, 6, 10);
    const QByteArray before = StoreBytes();
    ConnectionDlg dlg;
    dlg.ModbusPortEdit()->setText("9");
    dlg.reject();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(app_->modbusPort, 4);
    EXPECT_EQ(StoreBytes(), before);
}

TEST_F(DialogsTest, SetCountAboveTheListIsKeptUnlessAnotherIsPicked)
{
    SetStored(1, 2, 3, 25);
    {
        ConnectionDlg dlg;
        EXPECT_EQ(dlg.MgCountList()->currentText(), "20");
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(app_->mgCount, 25);
    }
    ConnectionDlg dlg;
    dlg.MgCountList()->setCurrentIndex(3);
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(app_->mgCount, 5);
}

TEST_F(DialogsTest, PortFieldsTakeDigitsOnly)
{
    Settings::LoadConnection();
    ConnectionDlg dlg;
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {{"", true}, {"7", true}, {"123456789", true}, {"-1", false}, {"1a", false}, {" 3", false}, {"1.5", false}};
    for (QLineEdit* edit : {dlg.ModbusPortEdit(), dlg.HartPortEdit(), dlg.MgPortEdit()}) {
        ASSERT_NE(edit->validator(), nullptr);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.text);
            QString text = QString::fromLatin1(c.text);
            int pos = 0;
            EXPECT_EQ(edit->validator()->validate(text, pos) == QValidator::Acceptable, c.accepted);
        }
        // No number that would not fit.
        EXPECT_LE(edit->maxLength(), 9);
    }
    const struct {
        const char* text;
        int port;
    } parse[] = {{"", 0}, {"0", 0}, {"3", 3}, {"0012", 12}, {"123456789", 123456789}};
    for (const auto& p : parse)
        EXPECT_EQ(ConnectionDlg::ParsePort(QString::fromLatin1(p.text)), p.port) << p.text;
}

TEST_F(DialogsTest, EachPortNumberShowsWhereItLeads)
{
    PtyPair pty;
    folder_.Home().LinkPort(4, pty.SlavePath());
    folder_.Home().LinkPort(6, "/nonexistent/ttyKorvan");
    SetStored(4, 6, 0, 10);
    ConnectionDlg dlg;
    const QString linked = dlg.ModbusPortHint()->text();
    EXPECT_EQ(linked, StringTable::Get(StringTable::kPortHintLinked).arg(QString::fromStdString(pty.SlavePath())));
    EXPECT_EQ(ConnectionDlg::PortHintText(6),
              StringTable::Get(StringTable::kPortHintMissing).arg("/nonexistent/ttyKorvan"));
    EXPECT_EQ(ConnectionDlg::PortHintText(0), StringTable::Get(StringTable::kPortHintNotSet));
    // The line follows the number as it is typed.
    dlg.ModbusPortEdit()->setText("6");
    EXPECT_EQ(dlg.ModbusPortHint()->text(), ConnectionDlg::PortHintText(6));
    dlg.ModbusPortEdit()->clear();
    EXPECT_EQ(dlg.ModbusPortHint()->text(), StringTable::Get(StringTable::kPortHintNotSet));
    // Without a link the number means the legacy device.
    EXPECT_TRUE(ConnectionDlg::PortHintText(40).contains("/dev/ttyS39"));
    // The links of the port folder are offered too.
    auto* found = dlg.findChild<QLabel*>("foundPorts");
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(found->text().contains(QStringLiteral("COM4 → %1").arg(QString::fromStdString(pty.SlavePath()))));
}

TEST_F(DialogsTest, PasswordDialogAcceptsAnEmptyPassword)
{
    Settings::LoadWords();
    PasswordDialog dlg;
    EXPECT_EQ(dlg.PasswordEdit()->text(), "680429");
    EXPECT_EQ(dlg.PasswordEdit()->echoMode(), QLineEdit::Password);
    dlg.PasswordEdit()->clear();
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(app_->calibrationPassword, "");
    QSettings s(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
    EXPECT_EQ(s.value("Words/Wr").toString(), "47093518");
    EXPECT_TRUE(s.contains("Words/St"));
    EXPECT_EQ(s.value("Words/St").toString(), "");
}

TEST_F(DialogsTest, PasswordDialogCancelChangesNothing)
{
    Settings::LoadWords();
    PasswordDialog dlg;
    dlg.PasswordEdit()->setText("1111");
    dlg.reject();
    EXPECT_EQ(app_->calibrationPassword, "680429");
    EXPECT_FALSE(QFile::exists(folder_.StoreFile()));
}

} // namespace
