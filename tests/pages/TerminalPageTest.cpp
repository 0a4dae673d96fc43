// The terminal page in the main window against the simulated sensor:
// typed commands and their answers, the history on Up and Down, clearing
// with Esc and the "tlog.csv" file.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "Engine.h"
#include "TerminalDialog.h"

namespace {

constexpr int kLongWaitMs = 90000;

const char* const kSensor = R"(
[detector]
kind = Elchem
modbus_id = 7
param.UT = мг/м3
param.IM = Корван
)";

class TerminalPageTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    TerminalPageTest()
    {
        windowSize_ = QSize(1100, 690);
        modeWaitMs_ = kLongWaitMs;
    }

    void TearDown() override
    {
        CloseWindow();
        if (sim_)
            sim_->Stop();
    }

    void SetUp() override
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = kSensor;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
        window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kTerminalPage);
        PumpQueued();
        ASSERT_TRUE(Page()->CommandField()->hasFocus());
    }

    TerminalDialog* Page() const
    {
        return static_cast<TerminalDialog*>(window_->TabCtrl()->Page(CDlgTabCtrl::kTerminalPage));
    }
    QLineEdit* Field() const { return Page()->CommandField(); }
    QTreeWidget* Log() const { return Page()->Log(); }

    // Typed as the engineer types it, then Enter; waits for the answer row.
    void Send(const QString& typed)
    {
        const int rows = Log()->topLevelItemCount();
        QTest::keyClicks(Field(), typed);
        QTest::keyClick(Field(), Qt::Key_Return);
        ASSERT_TRUE(PumpUntil([&] { return Log()->topLevelItemCount() == rows + 1 && engine().mode == Engine::kModeIdle; },
                              kLongWaitMs))
            << typed.toStdString();
        PumpQueued();
    }

    void Arrow(Qt::Key key, bool autoRepeat = false)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(QApplication::focusWidget(), &release);
    }

    QStringList Row(int row) const
    {
        const QTreeWidgetItem* item = Log()->topLevelItem(row);
        return item ? QStringList{item->text(0), item->text(1)} : QStringList{};
    }

    std::unique_ptr<Simulator> sim_;
};

TEST_F(TerminalPageTest, TypedCommandGoesOutUpperCaseWithTheAtSign)
{
    QTest::keyClicks(Field(), QStringLiteral("rrid"));
    EXPECT_EQ(Field()->text(), QStringLiteral("RRID"));
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(engine().mode, Engine::kModeTerminal);
    EXPECT_TRUE(Field()->text().isEmpty());
    ASSERT_TRUE(PumpUntil([&] { return Log()->topLevelItemCount() == 1 && engine().mode == Engine::kModeIdle; }, kLongWaitMs));
    PumpQueued();
    EXPECT_EQ(Row(0), (QStringList{"@RRID", "@RAID 7"}));

    // Typed with its "@", the same line goes out; the answer in the
    // device's code page shows as Cyrillic.
    Send(QStringLiteral("@rrut"));
    EXPECT_EQ(Row(1), (QStringList{"@RRUT", "@RAUT мг/м3"}));
    EXPECT_EQ(Page()->History(), (QStringList{"@RRUT", "@RRID"}));

    // Blanks only: nothing goes out, the focus stays in the field.
    QTest::keyClicks(Field(), QStringLiteral("   "));
    QTest::keyClick(Field(), Qt::Key_Return);
    PumpQueued();
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_EQ(Log()->topLevelItemCount(), 2);
    EXPECT_EQ(Page()->History().size(), 2);
    EXPECT_TRUE(Field()->hasFocus());
}

TEST_F(TerminalPageTest, UpAndDownWalkTheHistoryOneStepPerPress)
{
    Send(QStringLiteral("rrid"));
    Send(QStringLiteral("rrut"));
    Send(QStringLiteral("rrim"));
    QDir().mkpath(QStringLiteral(KORVAN_TEST_ARTIFACT_DIR));
    EXPECT_TRUE(window_->grab().toImage().save(QStringLiteral(KORVAN_TEST_ARTIFACT_DIR "/terminal.png")));
    EXPECT_EQ(Row(2), (QStringList{"@RRIM", "@RAIM Корван"}));

    // A held key moves nothing beyond its first press.
    Arrow(Qt::Key_Up);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRIM"));
    Arrow(Qt::Key_Up, true);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRIM"));
    Arrow(Qt::Key_Up);
    Arrow(Qt::Key_Up);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRID"));
    Arrow(Qt::Key_Up);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRID"));

    // The arrows never reach the list, also when it has the focus.
    Log()->setFocus();
    Log()->setCurrentItem(Log()->topLevelItem(0));
    Arrow(Qt::Key_Down);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRUT"));
    EXPECT_EQ(Log()->currentItem(), Log()->topLevelItem(0));
    Field()->setFocus();
    Arrow(Qt::Key_Down);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRIM"));
    Arrow(Qt::Key_Down);
    EXPECT_TRUE(Field()->text().isEmpty());
    Arrow(Qt::Key_Down);
    EXPECT_TRUE(Field()->text().isEmpty());

    // A recalled command is sent as it stands.
    Arrow(Qt::Key_Up);
    Arrow(Qt::Key_Up);
    QTest::keyClick(Field(), Qt::Key_Return);
    ASSERT_TRUE(PumpUntil([&] { return Log()->topLevelItemCount() == 4 && engine().mode == Engine::kModeIdle; }, kLongWaitMs));
    EXPECT_EQ(Row(3).value(0), QStringLiteral("@RRUT"));
}

TEST_F(TerminalPageTest, EscClearsTheLogButNotTheHistory)
{
    Send(QStringLiteral("rrid"));
    Send(QStringLiteral("rrut"));
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(Log()->topLevelItemCount(), 0);
    std::vector<SensorTerminalLogRecord> records;
    engine().CopyTerminalLog(records);
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(window_->isVisible());
    Arrow(Qt::Key_Up);
    EXPECT_EQ(Field()->text(), QStringLiteral("RRUT"));

    // The next exchange is the first row again; leaving the page and coming
    // back keeps the log.
    Field()->clear();
    Send(QStringLiteral("rrid"));
    EXPECT_EQ(Row(0), (QStringList{"@RRID", "@RAID 7"}));
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kDevicePage);
    PumpQueued();
    window_->TabCtrl()->setCurrentIndex(CDlgTabCtrl::kTerminalPage);
    PumpQueued();
    EXPECT_EQ(Log()->topLevelItemCount(), 1);
}

TEST_F(TerminalPageTest, SaveWritesTheLogAsTlogCsv)
{
    // An empty log: no dialog at all.
    Page()->SaveButton()->click();
    PumpQueued();
    EXPECT_TRUE(hooks_.dialogs.empty());

    Send(QStringLiteral("rrid"));
    Send(QStringLiteral("rrut"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("лог.csv"));
    QString offered;
    hooks_.onDialog = [&](QDialog& d) {
        auto* files = qobject_cast<QFileDialog*>(&d);
        if (files == nullptr)
            return int(QDialog::Rejected);
        offered = files->selectedFiles().value(0);
        files->selectFile(path);
        return int(QDialog::Accepted);
    };
    Page()->SaveButton()->click();
    PumpQueued();
    EXPECT_TRUE(offered.endsWith(QStringLiteral("/tlog.csv"))) << offered.toStdString();
    EXPECT_TRUE(hooks_.boxes.empty());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xCE\xF2\xEF\xF0\xE0\xE2\xEB\xE5\xED\xEE;\xCF\xF0\xE8\xED\xFF\xF2\xEE\r\n"
                                         "@RRID;@RAID 7\r\n"
                                         "@RRUT;@RAUT \xEC\xE3/\xEC" "3\r\n"));
    EXPECT_TRUE(Field()->hasFocus());

#ifdef __linux__
    // A full disk after the file was made is a failed save (Linux only:
    // Windows has no full device, and QFile::link makes a shortcut file).
    const QString full = dir.filePath(QStringLiteral("full.csv"));
    if (QFile::link(QStringLiteral("/dev/full"), full)) {
        hooks_.onDialog = [full](QDialog& d) {
            static_cast<QFileDialog&>(d).selectFile(full);
            return int(QDialog::Accepted);
        };
        Page()->SaveButton()->click();
        PumpQueued();
        ASSERT_EQ(hooks_.boxes.size(), 1u);
        EXPECT_EQ(hooks_.boxes[0].text, QStringLiteral("Сохранение файла не удалось."));
        EXPECT_EQ(hooks_.boxes[0].icon, MessageBoxes::Icon::Stop);
    }
#endif
}

} // namespace
