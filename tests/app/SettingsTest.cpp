#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>

#include <memory>

#include "AppContext.h"
#include "AppTestSupport.h"
#include "Settings.h"

extern QString g_defaultStoreFile;
extern std::string g_processConfigHome;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    TempSettings folder_;
    std::unique_ptr<AppContext> app_ = std::make_unique<AppContext>();
};

QSettings* OpenStore()
{
    return new QSettings(QStringLiteral("Korvan"), QStringLiteral("KorvanSensorSetup"));
}

TEST(SettingsStore, LiesInTheConfigFolderAsTheDemoWritesIt)
{
    EXPECT_EQ(g_defaultStoreFile, QString::fromStdString(g_processConfigHome) + "/Korvan/KorvanSensorSetup.conf");
}

TEST_F(SettingsTest, FirstStartWithAnEmptyStore)
{
    app_->modbusPort = 7; // whatever was there before the load
    Settings::LoadConnection();
    Settings::LoadWords();
    EXPECT_EQ(app_->modbusPort, 0);
    EXPECT_EQ(app_->hartPort, 0);
    EXPECT_EQ(app_->mgPort, 0);
    EXPECT_EQ(app_->mgCount, 10);
    EXPECT_EQ(app_->manufacturerPassword, "47093518");
    EXPECT_EQ(app_->calibrationPassword, "680429");
    // Loading writes nothing.
    EXPECT_FALSE(QFile::exists(folder_.StoreFile()));
}

TEST_F(SettingsTest, SetCountHasAFloorOfTwoOnly)
{
    const struct {
        int stored;
        int loaded;
    } cases[] = {{0, 2}, {1, 2}, {-3, 2}, {2, 2}, {15, 15}, {20, 20}, {25, 25}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        {
            std::unique_ptr<QSettings> s(OpenStore());
            s->setValue("Connection/MgCount", c.stored);
        }
        Settings::LoadConnection();
        EXPECT_EQ(app_->mgCount, c.loaded);
    }
}

TEST_F(SettingsTest, ConnectionIsSavedAsTheDemoReadsIt)
{
    app_->modbusPort = 1;
    app_->hartPort = 2;
    app_->mgPort = 3;
    app_->mgCount = 12;
    Settings::SaveConnection();

    QFile file(folder_.StoreFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("[Connection]"));
    EXPECT_TRUE(text.contains("ModbusPort=1"));
    EXPECT_TRUE(text.contains("HartPort=2"));
    EXPECT_TRUE(text.contains("MgPort=3"));
    EXPECT_TRUE(text.contains("MgCount=12"));

    app_.reset();
    app_ = std::make_unique<AppContext>();
    Settings::LoadConnection();
    EXPECT_EQ(app_->modbusPort, 1);
    EXPECT_EQ(app_->hartPort, 2);
    EXPECT_EQ(app_->mgPort, 3);
    EXPECT_EQ(app_->mgCount, 12);
}

TEST_F(SettingsTest, ReadsTheSettingsTheDemoWrites)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder_.Path()) + "/Korvan"));
    QFile file(folder_.StoreFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Connection]\nModbusPort=1\nHartPort=2\nMgPort=3\n");
    file.close();
    Settings::LoadConnection();
    Settings::LoadWords();
    EXPECT_EQ(app_->modbusPort, 1);
    EXPECT_EQ(app_->hartPort, 2);
    EXPECT_EQ(app_->mgPort, 3);
    EXPECT_EQ(app_->mgCount, 10);
    EXPECT_EQ(app_->calibrationPassword, "680429");
}

TEST_F(SettingsTest, ProfilesWithAGapLoadWithoutItAndSaveCompacted)
{
    {
        std::unique_ptr<QSettings> s(OpenStore());
        s->beginGroup("LmpProfiles");
        s->setValue("Count", 3);
        s->setValue("Name_0", "NH3");
        s->setValue("Name_1", "");
        s->setValue("Name_2", "CO");
        for (int k = 0; k < 5; ++k) {
            s->setValue(QString("Value_0_%1").arg(k), QString("a%1").arg(k));
            s->setValue(QString("Value_1_%1").arg(k), QString("lost%1").arg(k));
            s->setValue(QString("Value_2_%1").arg(k), QString("c%1").arg(k));
        }
    }
    Settings::LoadLmpProfiles(3);
    ASSERT_EQ(app_->lmpProfiles.size(), 2u);
    EXPECT_EQ(app_->lmpProfiles[0].name, "NH3");
    EXPECT_EQ(app_->lmpProfiles[0].values, (QStringList{"a0", "a1", "a2", "a3", "a4"}));
    EXPECT_EQ(app_->lmpProfiles[1].name, "CO");
    EXPECT_EQ(app_->lmpProfiles[1].values, (QStringList{"c0", "c1", "c2", "c3", "c4"}));
    EXPECT_TRUE(app_->oksikLmpProfiles.empty());

    Settings::SaveLmpProfiles(3);
    std::unique_ptr<QSettings> s(OpenStore());
    s->beginGroup("LmpProfiles");
    EXPECT_EQ(s->value("Count").toInt(), 2);
    EXPECT_EQ(s->value("Name_0").toString(), "NH3");
    EXPECT_EQ(s->value("Name_1").toString(), "CO");
    EXPECT_EQ(s->value("Value_1_4").toString(), "c4");
    // Left by the earlier save; loading never reads past Count.
    EXPECT_EQ(s->value("Name_2").toString(), "CO");
    s.reset();
    Settings::LoadLmpProfiles(3);
    EXPECT_EQ(app_->lmpProfiles.size(), 2u);
}

TEST_F(SettingsTest, StoringUnderAnExistingNameReplacesInPlace)
{
    const int kind = 4; // oxygen: the second list
    EXPECT_TRUE(Settings::StoreLmpProfile(kind, "A", {"1", "2", "3", "4", "5"}));
    EXPECT_TRUE(Settings::StoreLmpProfile(kind, "B", {"6", "7", "8", "9", "10"}));
    EXPECT_TRUE(Settings::StoreLmpProfile(kind, "C", {"0", "0", "0", "0", "0"}));
    EXPECT_FALSE(Settings::StoreLmpProfile(kind, "B", {"b0", "b1", "b2", "b3", "b4", "ignored"}));
    ASSERT_EQ(app_->oksikLmpProfiles.size(), 3u);
    EXPECT_EQ(app_->oksikLmpProfiles[1].name, "B");
    EXPECT_EQ(app_->oksikLmpProfiles[1].values, (QStringList{"b0", "b1", "b2", "b3", "b4"}));
    EXPECT_TRUE(app_->lmpProfiles.empty());

    QStringList values{"stale"};
    EXPECT_TRUE(Settings::FindLmpProfile(kind, "B", values));
    EXPECT_EQ(values, (QStringList{"b0", "b1", "b2", "b3", "b4"}));
    // Names compare case-sensitively; a miss leaves the values empty.
    EXPECT_FALSE(Settings::FindLmpProfile(kind, "b", values));
    EXPECT_TRUE(values.isEmpty());

    Settings::SaveLmpProfiles(kind);
    std::unique_ptr<QSettings> s(OpenStore());
    EXPECT_EQ(s->value("OksikLmpProfiles/Count").toInt(), 3);
    EXPECT_EQ(s->value("OksikLmpProfiles/Value_1_0").toString(), "b0");
    EXPECT_FALSE(s->contains("LmpProfiles/Count"));
}

TEST_F(SettingsTest, PasswordsGoBackWithTheManufacturerPasswordUnchanged)
{
    Settings::LoadWords();
    app_->calibrationPassword = "";
    Settings::SaveWords();
    std::unique_ptr<QSettings> s(OpenStore());
    EXPECT_EQ(s->value("Words/Wr").toString(), "47093518");
    EXPECT_TRUE(s->contains("Words/St"));
    EXPECT_EQ(s->value("Words/St").toString(), "");
    s.reset();
    app_->calibrationPassword = "x";
    Settings::LoadWords();
    EXPECT_EQ(app_->calibrationPassword, "");
}

} // namespace
