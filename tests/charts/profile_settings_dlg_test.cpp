// The profile settings dialog against a scripted instrument.
#include "charts/ProfileSettingsDlg.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using platform::CTime;

struct Entry {
    float value = 0;
    CTime time;
};

// A status through its stored form.
CProfileStatus Status(const std::array<Entry, 4>& maximum, const std::array<Entry, 4>& day, CTime timeC,
                      CTime selectedDay, BYTE flagD, BYTE flagC, CTime currentDate, CTime resetTime)
{
    SerialArchive out;
    for (std::size_t k = 0; k < 4; ++k)
        out << maximum[k].value << maximum[k].time << day[k].value << day[k].time;
    out << timeC << selectedDay << flagD << flagC << currentDate << resetTime;
    SerialArchive in(out.buffer());
    CProfileStatus status;
    status.Serialize(in);
    return status;
}

class FakeIo : public IProfileIo {
public:
    bool ReadStatus(CProfileStatus& s) override
    {
        ++reads;
        if (readFailures > 0) {
            --readFailures;
            return false;
        }
        s = status;
        return true;
    }
    bool WriteDay(CTime day) override
    {
        ++writes;
        writtenDay = day;
        return sendWorks;
    }
    bool ResetMaximum() override
    {
        ++resets;
        return sendWorks;
    }
    QString ErrorText() const override { return QStringLiteral("Přístroj neodpovídá (časový limit)."); }
    QString ArchivePrefix() const override { return prefix; }
    CPristroj* Instrument() override { return nullptr; }

    CProfileStatus status;
    int reads = 0;
    int readFailures = 0;
    int writes = 0;
    int resets = 0;
    bool sendWorks = true;
    CTime writtenDay;
    QString prefix;
};

const CTime kMarch5(2009, 3, 5, 0, 0, 0);

class ProfileSettingsDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        io.prefix = dir.filePath(QStringLiteral("hala"));
        dlg.SetSleeper([this](int ms) { sleeps.push_back(ms); });
        dlg.SetDownloadStarter([this](CPristroj*, const QString& file, int kind, CTime day, const CProfileStatus&) {
            downloads.push_back({file, kind, day});
            return starterWorks;
        });
    }
    struct Download {
        QString file;
        int kind;
        CTime day;
    };
    QTemporaryDir dir;
    FakeIo io;
    CProfileSettingsDlg dlg;
    std::vector<int> sleeps;
    std::vector<Download> downloads;
    bool starterWorks = true;
};

TEST_F(ProfileSettingsDlgTest, AStatusWithoutTimesShowsDashesAndOffersNoDownload)
{
    io.status = Status({}, {}, CTime(), CTime(), 0, 0, CTime(2009, 3, 1, 0, 0, 0), CTime(2009, 3, 1, 6, 0, 0));
    ASSERT_TRUE(dlg.Attach(&io));
    for (int id = 1295; id <= 1302; ++id)
        EXPECT_EQ(dlg.Text(id), QStringLiteral("--")) << id;
    for (int id = 1304; id <= 1311; ++id)
        EXPECT_EQ(dlg.Text(id), QStringLiteral("--")) << id;
    EXPECT_EQ(dlg.Text(CProfileSettingsDlg::IdSelectedDay), QStringLiteral("--"));
    EXPECT_EQ(dlg.Text(CProfileSettingsDlg::IdHeading1), QStringLiteral("Hodnota [A]"));
    EXPECT_EQ(dlg.Text(CProfileSettingsDlg::IdResetTime), QStringLiteral("01.03.09 06:00:00"));
    EXPECT_FALSE(dlg.Control(CProfileSettingsDlg::IdDownloadSelected)->isEnabled());
    EXPECT_FALSE(dlg.Control(CProfileSettingsDlg::IdDownloadMaximum)->isEnabled());
    // The day offered never lies in the past.
    EXPECT_GE(dlg.DayToSelect().GetTime() + 60, CTime::GetCurrentTime().GetTime());
}

TEST_F(ProfileSettingsDlgTest, AnInstrumentThatDoesNotAnswerIsTriedThreeTimesThenReported)
{
    io.readFailures = 3;
    ui::ScriptedMessageBoxes boxes;
    EXPECT_FALSE(dlg.Attach(&io));
    EXPECT_EQ(io.reads, 3);
    EXPECT_EQ(sleeps, (std::vector<int>{200, 1000}));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, io.ErrorText());
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
}

TEST_F(ProfileSettingsDlgTest, SetDayAndResetAskSendAndReadTheStatusAgain)
{
    io.status = Status({{{12.5f, kMarch5 + CTimeSpan(3600)}}}, {}, kMarch5, kMarch5, 1, 1, kMarch5, kMarch5);
    ASSERT_TRUE(dlg.Attach(&io));
    EXPECT_EQ(dlg.Text(1304), QStringLiteral("12.500"));
    EXPECT_EQ(dlg.Text(1308), QStringLiteral("05.03.09 01:00"));
    const struct {
        const char* name;
        ui::MsgAnswer answer;
        bool works;
        int sends;
        std::vector<int> sleeps;
        int boxes;
    } cases[] = {
        {"sent", ui::MsgAnswer::Yes, true, 1, {800, 1000}, 1},
        {"no answer", ui::MsgAnswer::Yes, false, 3, {200, 1000, 1000}, 2},
        {"not wanted", ui::MsgAnswer::No, true, 0, {800, 1000}, 1},
    };
    for (bool reset : {false, true}) {
        for (const auto& c : cases) {
            io.sendWorks = c.works;
            io.writes = io.resets = io.reads = 0;
            sleeps.clear();
            ui::ScriptedMessageBoxes boxes;
            boxes.Answer(c.answer);
            QTest::mouseClick(dlg.findChild<QPushButton*>(QString::number(reset ? 1314 : 1313)), Qt::LeftButton);
            EXPECT_EQ(reset ? io.resets : io.writes, c.sends) << c.name;
            EXPECT_EQ(sleeps, c.sleeps) << c.name;
            EXPECT_EQ(io.reads, 1) << c.name; // read again in every case
            ASSERT_EQ(int(boxes.Requests().size()), c.boxes) << c.name;
            EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Opravdu poslat nastavení do přístroje?"));
            if (c.boxes == 2) {
                EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Přístroj neodpovídá !"));
            }
        }
    }
    EXPECT_EQ(io.writtenDay.GetYear() >= 2009, true);
}

TEST_F(ProfileSettingsDlgTest, DownloadNamesTheFileAndKeepsAnExistingOneUnlessAllowed)
{
    const CTime selected(2009, 2, 14, 0, 0, 0);
    io.status = Status({}, {}, kMarch5, selected, 1, 2, kMarch5, kMarch5);
    ASSERT_TRUE(dlg.Attach(&io));
    ASSERT_TRUE(dlg.Control(CProfileSettingsDlg::IdDownloadMaximum)->isEnabled());
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1317")), Qt::LeftButton);
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].file, io.prefix + QStringLiteral("_MP_Y09D0305.pro"));
    EXPECT_EQ(downloads[0].kind, 1);
    EXPECT_EQ(downloads[0].day, kMarch5);

    // An existing file: No keeps it and downloads nothing.
    const QString existing = io.prefix + QStringLiteral("_SP_Y09D0214.pro");
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    {
        ui::ScriptedMessageBoxes boxes;
        boxes.Answer(ui::MsgAnswer::No);
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1316")), Qt::LeftButton);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Tento profil je již stažený. Chcete jej přepsat?"));
        EXPECT_EQ(downloads.size(), 1u);
    }
    // Yes downloads it, and a program without the download window says so.
    starterWorks = false;
    ui::ScriptedMessageBoxes boxes;
    boxes.Answer(ui::MsgAnswer::Yes);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1316")), Qt::LeftButton);
    ASSERT_EQ(downloads.size(), 2u);
    EXPECT_EQ(downloads[1].file, existing);
    EXPECT_EQ(downloads[1].kind, 0);
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Systémová chyba programu, nepodařilo se stáhnout profil !"));
}

// The flags claim a profile whose day the status does not give: the user is
// told the instrument holds no data and nothing is fetched or named.
TEST_F(ProfileSettingsDlgTest, AProfileTheStatusDoesNotDateIsNotFetched)
{
    const struct {
        const char* name;
        int button;
        CTime timeC;
        CTime selectedDay;
    } cases[] = {
        {"selected, no day", CProfileSettingsDlg::IdDownloadSelected, kMarch5, CTime()},
        {"selected, day not a date", CProfileSettingsDlg::IdDownloadSelected, kMarch5, CTime(CTime::kInvalid)},
        {"maximum, no day", CProfileSettingsDlg::IdDownloadMaximum, CTime(), kMarch5},
    };
    for (const auto& c : cases) {
        io.status = Status({}, {}, c.timeC, c.selectedDay, 1, 1, kMarch5, kMarch5);
        ASSERT_TRUE(dlg.Attach(&io)) << c.name;
        QWidget* button = dlg.Control(c.button);
        ASSERT_TRUE(button->isEnabled()) << c.name;
        ui::ScriptedMessageBoxes boxes;
        QTest::mouseClick(static_cast<QPushButton*>(button), Qt::LeftButton);
        ASSERT_EQ(boxes.Requests().size(), 1u) << c.name;
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Přístroj neobsahuje data.")) << c.name;
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA")) << c.name;
        EXPECT_TRUE(downloads.empty()) << c.name;
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

} // namespace
