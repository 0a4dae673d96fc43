// The journal pages in the main window against the simulated detector: the
// first showing reads the whole ring by itself, rows equal the device's
// records newest first, Esc keeps what was read, a silent device, the
// threshold ring, sorting and the CSV file with its failures.
// The simulator names a member "signals", which Qt's headers would turn
// into a keyword: it comes first.
#include "Simulator.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "AppTestSupport.h"
#include "CDlgTabCtrl.h"
#include "Cp1251.h"
#include "CsvFiles.h"
#include "Engine.h"
#include "JournalDialog.h"
#include "JournalEntryText.h"
#include "JournalListCtrl.h"
#include "StringTable.h"
#include "ThJournalDialog.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

constexpr int kLongWaitMs = 90000;

// Both rings at their default layout (event: 100 slots, first 90, last 10,
// so 20 entries across the wrap; threshold: 60 slots, 0 to 40), with a
// fixed newest time so that every date is known.
const char* const kJournals = R"(
[detector]
kind = Elchem
modbus_id = 7
[journal]
newest_time = 1700000000
interval_s = 900
)";

// A ring long enough that a read can be stopped half-way.
const char* const kLongJournal = R"(
[detector]
kind = Elchem
modbus_id = 7
[journal]
event_capacity = 4096
event_first = 0
event_last = 4000
newest_time = 1700000000
)";

struct Row {
    QString date;
    QString event;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* os) { *os << r.date.toStdString() << " | " << r.event.toStdString(); }

class JournalPagesTest : public MainWindowFixture {
protected:
    static constexpr int kDevicePort = 1;
    static constexpr int kHartPort = 2;

    JournalPagesTest()
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

    void OpenConnected(const char* scenario, unsigned answerDelayMs = 0)
    {
        Simulator::Options o;
        o.portsFolder = folder_.Home().PortsFolder();
        o.devicePort = kDevicePort;
        o.hartPort = kHartPort;
        o.scenarioText = scenario;
        o.answerDelayMs = answerDelayMs;
        sim_ = std::make_unique<Simulator>(o);
        sim_->Start();
        StorePorts(kDevicePort, kHartPort);
        Open();
        ASSERT_TRUE(PumpUntilMode(Engine::kModeConnected));
        PumpQueued();
    }

    JournalPage* Page(int index) const { return static_cast<JournalPage*>(window_->TabCtrl()->Page(index)); }
    JournalPage* EventPage() const { return Page(CDlgTabCtrl::kEventJournalPage); }
    JournalPage* ThresholdPage() const { return Page(CDlgTabCtrl::kThresholdJournalPage); }

    void ShowPage(int index)
    {
        window_->TabCtrl()->setCurrentIndex(index);
        PumpQueued();
    }

    // Shows a journal page and waits for the read it starts by itself.
    void ShowAndAwaitRead(int index, int readingMode)
    {
        recorder_->messages.clear();
        ShowPage(index);
        ASSERT_EQ(engine().mode, readingMode);
        ASSERT_TRUE(PumpUntil([&] { return recorder_->ModeChanges().size() >= 2 && engine().mode == Engine::kModeIdle; },
                              kLongWaitMs));
        PumpQueued();
        // Leaving the sensor page ended its activity quietly (mode 1) before
        // the read.
        EXPECT_EQ(recorder_->ModeChanges(), (Pairs{{1, readingMode}, {readingMode, 1}}));
    }

    static std::vector<Row> Rows(const JournalListCtrl& list)
    {
        std::vector<Row> out;
        for (int row = 0; row < list.RowCount(); ++row)
            out.push_back({list.CellText(row, JournalListCtrl::kDateColumn), list.CellText(row, JournalListCtrl::kEventColumn)});
        return out;
    }

    // The device's records from its newest slot back `count` entries, as
    // the list must show them. The date is put together here on its own.
    static std::vector<Row> DeviceRows(const RingJournal& ring, std::uint32_t count)
    {
        std::vector<Row> out;
        std::uint32_t slot = ring.Last() == 0 ? ring.Capacity() - 1u : ring.Last() - 1u;
        for (std::uint32_t i = 0; i < count; ++i) {
            const RingJournal::Record& r = ring.At(static_cast<std::uint16_t>(slot));
            ModbusJournalRecord record;
            std::copy(r.begin(), r.end(), record.raw.begin());
            const QDateTime time = QDateTime::fromSecsSinceEpoch(RingJournal::TimeOf(r), Qt::UTC);
            out.push_back({time.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")),
                           QString::fromStdString(JournalEntryDecoder::EventText(record))});
            slot = slot == 0 ? ring.Capacity() - 1u : slot - 1u;
        }
        return out;
    }

    void SavePicture(const QString& name)
    {
        const QString dir = QStringLiteral(KORVAN_TEST_ARTIFACT_DIR);
        ASSERT_TRUE(QDir().mkpath(dir));
        const QImage image = window_->grab().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(image.save(dir + "/" + name));
    }

    // The save dialog answered with `path`; what it offered is kept.
    void AnswerSaveWith(const QString& path)
    {
        hooks_.onDialog = [this, path](QDialog& d) {
            auto* files = qobject_cast<QFileDialog*>(&d);
            if (files == nullptr)
                return int(QDialog::Rejected);
            offered_ = files->selectedFiles().value(0);
            offeredSuffix_ = files->defaultSuffix();
            offeredFilters_ = files->nameFilters();
            overwriteAsked_ = !files->testOption(QFileDialog::DontConfirmOverwrite);
            files->selectFile(path);
            return int(QDialog::Accepted);
        };
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void ClickHeader(JournalListCtrl& list, int column)
    {
        QHeaderView* header = list.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        PumpQueued();
    }

    std::unique_ptr<Simulator> sim_;
    QString offered_;
    QString offeredSuffix_;
    QStringList offeredFilters_;
    bool overwriteAsked_ = false;
};

TEST_F(JournalPagesTest, FirstShowingReadsTheWholeRingNewestFirstAndAgainReadsNothing)
{
    OpenConnected(kJournals);
    ShowAndAwaitRead(CDlgTabCtrl::kEventJournalPage, Engine::kModeEventJournal);
    JournalPage* page = EventPage();
    const RingJournal ring = sim_->Detector().EventJournal();
    ASSERT_EQ(ring.Count(), 20u);
    EXPECT_EQ(Rows(*page->List()), DeviceRows(ring, 20));
    EXPECT_EQ(page->Counter()->text(), QStringLiteral("20/20"));
    EXPECT_EQ(page->Progress()->maximum(), 20);
    EXPECT_EQ(page->Progress()->value(), 20);
    EXPECT_TRUE(page->ReadButton()->isEnabled());
    EXPECT_FALSE(page->AbortButton()->isEnabled());
    EXPECT_TRUE(page->SaveButton()->isEnabled());
    SavePicture(QStringLiteral("event-journal.png"));

    // Back on the page with its rows: nothing is read.
    ShowPage(CDlgTabCtrl::kDevicePage);
    recorder_->messages.clear();
    ShowPage(CDlgTabCtrl::kEventJournalPage);
    PumpQueued();
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    EXPECT_TRUE(recorder_->ModeChanges().empty());
    EXPECT_EQ(page->List()->RowCount(), 20);

    // "Прочитать (F2)" reads it again, from nothing; until the first block
    // is in, the list says it is reading.
    page->ReadButton()->click();
    EXPECT_EQ(engine().mode, Engine::kModeEventJournal);
    EXPECT_EQ(page->List()->RowCount(), 0);
    EXPECT_EQ(page->List()->StatusText(), QStringLiteral("Производится чтение..."));
    // Reading a journal is a steady mode: a new read may start over it.
    EXPECT_TRUE(page->ReadButton()->isEnabled());
    EXPECT_TRUE(page->AbortButton()->isEnabled());
    EXPECT_FALSE(page->SaveButton()->isEnabled());
    ASSERT_TRUE(PumpUntilMode(Engine::kModeIdle));
    PumpQueued();
    EXPECT_EQ(Rows(*page->List()), DeviceRows(ring, 20));
}

TEST_F(JournalPagesTest, TheThresholdPageReadsItsOwnRing)
{
    OpenConnected(kJournals);
    ShowAndAwaitRead(CDlgTabCtrl::kThresholdJournalPage, Engine::kModeThresholdJournal);
    JournalPage* page = ThresholdPage();
    const RingJournal ring = sim_->Detector().ThresholdJournal();
    ASSERT_EQ(ring.Count(), 40u);
    EXPECT_EQ(Rows(*page->List()), DeviceRows(ring, 40));
    EXPECT_EQ(page->Counter()->text(), QStringLiteral("40/40"));
    // The event page has read nothing.
    EXPECT_EQ(EventPage()->List()->RowCount(), 0);
    SavePicture(QStringLiteral("threshold-journal.png"));

    // A second read keeps the list to the device's ring: no row of the
    // first read stays beside those of the second.
    PressKey(Qt::Key_F2);
    ASSERT_TRUE(PumpUntil([&] { return engine().mode == Engine::kModeIdle; }, kLongWaitMs));
    PumpQueued();
    EXPECT_EQ(Rows(*page->List()), DeviceRows(ring, 40));
}

TEST_F(JournalPagesTest, EscDuringTheReadKeepsTheRowsReadSoFar)
{
    // Each answer waits a little, so the ring of 4000 records takes long
    // enough to be stopped when the first rows are in.
    OpenConnected(kLongJournal, 40);
    recorder_->messages.clear();
    ShowPage(CDlgTabCtrl::kEventJournalPage);
    JournalPage* page = EventPage();
    ASSERT_EQ(engine().mode, Engine::kModeEventJournal);
    ASSERT_TRUE(PumpUntil([&] { return page->List()->RowCount() > 0; }, kLongWaitMs));
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(engine().mode, Engine::kModeIdle);
    // The block on the line when Esc came may still arrive.
    PumpQueued();
    QTest::qWait(500);
    PumpQueued();
    const int rows = page->List()->RowCount();
    EXPECT_GT(rows, 0);
    EXPECT_LT(rows, 4000);
    EXPECT_EQ(Rows(*page->List()), DeviceRows(sim_->Detector().EventJournal(), std::uint32_t(rows)));
    EXPECT_EQ(recorder_->ModeChanges().back(), (std::pair<int, int>{Engine::kModeEventJournal, Engine::kModeIdle}));
    EXPECT_TRUE(page->ReadButton()->isEnabled());
    EXPECT_FALSE(page->AbortButton()->isEnabled());
    EXPECT_TRUE(page->SaveButton()->isEnabled());
    // The window is still open: Esc went to the page, not to the window.
    EXPECT_TRUE(window_->isVisible());
}

TEST_F(JournalPagesTest, ASilentDeviceGivesTheFailureTextAndNoRows)
{
    OpenConnected(kJournals);
    ASSERT_EQ(sim_->ArmFault("*", "silence"), "");
    ShowAndAwaitRead(CDlgTabCtrl::kEventJournalPage, Engine::kModeEventJournal);
    JournalPage* page = EventPage();
    EXPECT_EQ(page->List()->RowCount(), 0);
    EXPECT_EQ(page->List()->StatusText(), QStringLiteral("Чтение журнала не удалось"));
    EXPECT_FALSE(page->SaveButton()->isEnabled());
    EXPECT_TRUE(page->ReadButton()->isEnabled());
}

TEST_F(JournalPagesTest, SavingFollowsTheDateOrderTheListShows)
{
    OpenConnected(kJournals);
    ShowAndAwaitRead(CDlgTabCtrl::kEventJournalPage, Engine::kModeEventJournal);
    JournalPage* page = EventPage();
    JournalListCtrl* list = page->List();
    const std::vector<Row> newestFirst = DeviceRows(sim_->Detector().EventJournal(), 20);

    // The date header sorts ascending, then descending.
    ClickHeader(*list, JournalListCtrl::kDateColumn);
    ASSERT_TRUE(list->SortedOldestFirst());
    EXPECT_EQ(Rows(*list).front(), newestFirst.back());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString oldestFirstPath = dir.filePath(QStringLiteral("журнал по возрастанию.csv"));
    AnswerSaveWith(oldestFirstPath);
    page->SaveButton()->click();
    PumpQueued();
    EXPECT_TRUE(hooks_.boxes.empty());
    EXPECT_TRUE(offered_.endsWith(QStringLiteral("/journal.csv"))) << offered_.toStdString();
    EXPECT_EQ(offeredSuffix_, QStringLiteral("csv"));
    EXPECT_EQ(offeredFilters_.value(0), QStringLiteral("Comma Separated Files (*.csv)"));
    EXPECT_TRUE(overwriteAsked_);

    // The file as a spreadsheet reads it: windows-1251, CR LF.
    const QByteArray bytes = ReadFile(oldestFirstPath);
    const QStringList lines = QString::fromStdString(Cp1251::ToUtf8(bytes.toStdString())).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 22); // heading, 20 entries, nothing after the last CR LF
    EXPECT_EQ(lines[0], QStringLiteral("Дата/время;Событие"));
    EXPECT_EQ(lines[1], newestFirst.back().date + ";" + newestFirst.back().event);
    EXPECT_EQ(lines[20], newestFirst.front().date + ";" + newestFirst.front().event);
    EXPECT_TRUE(lines[21].isEmpty());

    ClickHeader(*list, JournalListCtrl::kDateColumn);
    ASSERT_FALSE(list->SortedOldestFirst());
    EXPECT_EQ(Rows(*list), newestFirst);
    const QString newestFirstPath = dir.filePath(QStringLiteral("journal.csv"));
    AnswerSaveWith(newestFirstPath);
    page->SaveButton()->click();
    PumpQueued();
    const QByteArray newest = ReadFile(newestFirstPath);
    EXPECT_TRUE(newest.startsWith(Cp1251::FromUtf8("Дата/время;Событие\r\n" + newestFirst.front().date.toStdString() + ";")
                                      .c_str()));
}

TEST_F(JournalPagesTest, AFileThatCannotBeWrittenIsReportedAsAFailedSave)
{
    OpenConnected(kJournals);
    ShowAndAwaitRead(CDlgTabCtrl::kThresholdJournalPage, Engine::kModeThresholdJournal);
    JournalPage* page = ThresholdPage();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* name;
        QString path;
    };
    std::vector<Case> cases = {{"cannot be created", dir.filePath(QStringLiteral("нет такой папки/thjournal.csv"))}};
#ifdef __linux__
    // Opened, then the disk is full: a name with the dialog's suffix that
    // leads to the full device (Linux only: Windows has no such device, and
    // QFile::link makes a shortcut file there).
    const QString full = dir.filePath(QStringLiteral("full.csv"));
    if (QFile::link(QStringLiteral("/dev/full"), full))
        cases.push_back({"disk full", full});
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hooks_.boxes.clear();
        AnswerSaveWith(c.path);
        page->SaveButton()->click();
        PumpQueued();
        EXPECT_TRUE(offered_.endsWith(QStringLiteral("/thjournal.csv"))) << offered_.toStdString();
        ASSERT_EQ(hooks_.boxes.size(), 1u);
        EXPECT_EQ(hooks_.boxes[0].text, QStringLiteral("Сохранение файла не удалось."));
        EXPECT_EQ(hooks_.boxes[0].caption, QStringLiteral("Ошибка!"));
        EXPECT_EQ(hooks_.boxes[0].icon, MessageBoxes::Icon::Stop);
    }
}

SensorJournalContent Content(std::initializer_list<std::uint32_t> times)
{
    SensorJournalContent c;
    for (std::uint32_t t : times) {
        ModbusJournalRecord r;
        for (int i = 0; i < 4; ++i)
            r.raw[i] = static_cast<std::uint8_t>(t >> (8 * i));
        r.raw[4] = 4; // "Питание включено"
        c.push_back(r);
    }
    return c;
}

QStringList Dates(const JournalListCtrl& list)
{
    QStringList out;
    for (int row = 0; row < list.RowCount(); ++row)
        out << list.CellText(row, JournalListCtrl::kDateColumn);
    return out;
}

TEST(JournalList, AppendsOnlyWhatIsNewAndNeverKeepsRowsOfAnEarlierReading)
{
    JournalListCtrl list;
    EXPECT_EQ(list.StatusText(), QStringLiteral("Журнал не прочитан"));
    list.Refresh(Content({300, 200}), JournalReadStatus::Reading);
    list.SetCellText(0, JournalListCtrl::kEventColumn, QStringLiteral("marked"));
    // The next block: the two rows stay as they are, one is appended.
    list.Refresh(Content({300, 200, 100}), JournalReadStatus::Reading);
    EXPECT_EQ(Dates(list), (QStringList{"1970.01.01 00:05:00", "1970.01.01 00:03:20", "1970.01.01 00:01:40"}));
    EXPECT_EQ(list.CellText(0, JournalListCtrl::kEventColumn), QStringLiteral("marked"));

    // A new reading whose first block came before the page looked: the old
    // rows go, though there were more of them.
    list.Refresh(Content({900, 800}), JournalReadStatus::Reading);
    EXPECT_EQ(Dates(list), (QStringList{"1970.01.01 00:15:00", "1970.01.01 00:13:20"}));
    // As many entries as rows, but other ones: replaced too.
    list.Refresh(Content({700, 600}), JournalReadStatus::Reading);
    EXPECT_EQ(Dates(list), (QStringList{"1970.01.01 00:11:40", "1970.01.01 00:10:00"}));

    // Sorted by the engineer, the list stays sorted as rows arrive.
    ASSERT_TRUE(list.SortByColumn(JournalListCtrl::kDateColumn, true));
    list.Refresh(Content({700, 600, 50}), JournalReadStatus::Reading);
    EXPECT_EQ(Dates(list), (QStringList{"1970.01.01 00:00:50", "1970.01.01 00:10:00", "1970.01.01 00:11:40"}));
    EXPECT_TRUE(list.SortedOldestFirst());

    // Without entries, the read status speaks.
    const struct {
        JournalReadStatus status;
        const char* text;
    } statuses[] = {{JournalReadStatus::NotRead, "Журнал не прочитан"},
                    {JournalReadStatus::Reading, "Производится чтение..."},
                    {JournalReadStatus::Failed, "Чтение журнала не удалось"},
                    {JournalReadStatus::Finished, "Журнал пуст"}};
    for (const auto& c : statuses) {
        list.Refresh(Content({700}), JournalReadStatus::Reading);
        list.Refresh(SensorJournalContent{}, c.status);
        EXPECT_EQ(list.RowCount(), 0);
        EXPECT_EQ(list.StatusText(), QString::fromUtf8(c.text));
    }
}

TEST(JournalHeadings, TheFilesUseTheListHeadings)
{
    EXPECT_EQ(StringTable::Get(165), QString::fromUtf8(CsvFiles::kDateTimeHeading));
    EXPECT_EQ(StringTable::Get(166), QString::fromUtf8(CsvFiles::kEventHeading));
    EXPECT_EQ(StringTable::Get(365), QString::fromUtf8(CsvFiles::kSentHeading));
    EXPECT_EQ(StringTable::Get(366), QString::fromUtf8(CsvFiles::kReceivedHeading));
}

} // namespace
