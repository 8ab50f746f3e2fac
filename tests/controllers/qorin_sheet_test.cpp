#include "ControllerTestSupport.h"

#include "controllers/settings/PristrojDetail.h"
#include "controllers/settings/SettingsFile.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

namespace {

struct QorinSheetFixture : ::testing::Test {
    QorinSheetFixture()
    {
        io.qorin = SampleQorinConfig();
        io.iden.version = 0x21;
        io.archive = &store;
        io.folder = dir.path();
        store.SetModel(4);
    }
    QTemporaryDir dir;
    QorinStore store;
    FakeIo io;
    CPristrojDetail sheet{QStringLiteral("Nastavení přístroje (rozvodna)")};
};

} // namespace

TEST_F(QorinSheetFixture, ReadsWithRetriesAndFillsThePages)
{
    io.qorinReads = {false, false, true};
    io.idenReads = {false, false, false};
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    EXPECT_EQ(io.sleeps, (std::vector<DWORD>{0, 0, 0, 0}));
    // The identification did not answer: the oldest firmware.
    EXPECT_EQ(sheet.m_data.m_version, 32);
    EXPECT_FALSE(sheet.m_data.IsEnabledCtl(1016));
    EXPECT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(sheet.Tabs()->tabText(1), QStringLiteral("Kompenzační stupně"));
    EXPECT_FLOAT_EQ(sheet.m_ctRatio, 100.0f);
    EXPECT_EQ(sheet.m_stages.ControlText(1140), QStringLiteral("10"));
    EXPECT_EQ(sheet.m_folder, dir.path());

    // A second pass fills the same pages.
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 1));
    EXPECT_EQ(sheet.GetPageCount(), 3);
}

TEST_F(QorinSheetFixture, OlderModelsGetTheTwoSectionPageOnce)
{
    store.SetModel(1);
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    ASSERT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(sheet.GetPage(1), &sheet.m_stagesN);
    EXPECT_EQ(sheet.GetPage(2), &sheet.m_alarms);
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 1));
    EXPECT_EQ(sheet.GetPageCount(), 3);
    EXPECT_EQ(&sheet.StagePageInUse(), &sheet.m_stagesN);
}

TEST_F(QorinSheetFixture, ATransformerChangeReachesTheStagePageAtOnce)
{
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    sheet.m_data.Ctl<QLineEdit>(1027)->setText(QStringLiteral("1000"));
    emit sheet.m_data.Ctl<CCheckedEdit>(1027)->focusLeft();
    EXPECT_FLOAT_EQ(sheet.m_ctRatio, 200.0f);
    EXPECT_EQ(sheet.m_stages.ControlText(1140), QStringLiteral("20"));
    sheet.m_data.Ctl<QLineEdit>(1028)->setText(QStringLiteral("3"));
    emit sheet.m_data.Ctl<CCheckedEdit>(1028)->focusLeft();
    EXPECT_EQ(sheet.m_data.ControlText(1028), QStringLiteral("5"));
    EXPECT_FLOAT_EQ(sheet.m_ctRatio, 200.0f);
}

TEST_F(QorinSheetFixture, SilentInstrumentOffersTheFile)
{
    io.qorinReads = {false, false, false};
    {
        ui::ScriptedMessageBoxes boxes;
        boxes.Answer(ui::MsgAnswer::No);
        EXPECT_FALSE(sheet.ReadFromInstrument(io, 0));
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    }
    {
        io.qorinReads = {false, false, false};
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
        ScriptedFileChooser chooser{QString()};
        EXPECT_FALSE(sheet.ReadFromInstrument(io, 0));
        EXPECT_FALSE(sheet.m_loadedFromFile);
    }
    CConfig fromFile = SampleQorinConfig();
    fromFile.tarif1.t0 = BYTE(97);
    const QString path = dir.filePath(QStringLiteral("ulozeno.set"));
    QString error;
    ASSERT_TRUE(SaveSettingsFile(path, QorinSettingsBytes(fromFile), error));
    io.qorinReads = {false, false, false};
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ScriptedFileChooser chooser{path};
    EXPECT_TRUE(sheet.ReadFromInstrument(io, 0));
    EXPECT_EQ(sheet.m_data.ControlText(1032), QStringLiteral("0.97"));
}

TEST_F(QorinSheetFixture, SendQueuesTheRecordsOnlyAfterSuccess)
{
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    sheet.m_data.Ctl<QLineEdit>(1032)->setText(QStringLiteral("0.98"));
    {
        ui::ScriptedMessageBoxes boxes;
        boxes.Answer(ui::MsgAnswer::No);
        sheet.SendToInstrument();
        EXPECT_TRUE(io.written.empty());
    }
    {
        io.writes = {false};
        ui::ScriptedMessageBoxes boxes;
        boxes.Answer(ui::MsgAnswer::Yes);
        sheet.SendToInstrument();
        ASSERT_EQ(boxes.Requests().size(), 2u);
        EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Chyba při zápisu do přístroje."));
        EXPECT_TRUE(store.Queued().empty());
        // The sheet keeps the edited value.
        EXPECT_EQ(sheet.m_data.ControlText(1032), QStringLiteral("0.98"));
    }
    ui::ScriptedMessageBoxes boxes;
    boxes.Answer(ui::MsgAnswer::Yes);
    sheet.SendToInstrument();
    EXPECT_EQ(boxes.Requests().size(), 1u);
    ASSERT_EQ(io.written.size(), 1u);
    EXPECT_EQ(io.written[0].tarif1.t0, 98);
    const CArchivRecordList queued = store.Queued();
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].type, 1);
    EXPECT_EQ(queued[0].data.size(), CConfig::kImageSize);
    EXPECT_EQ(queued[1].type, 7);
    EXPECT_EQ(queued[1].data, QByteArray("Nastaven\xed odesl\xe1no do p\xf8\xedstroje."));
}

TEST_F(QorinSheetFixture, RereadRemembersThePage)
{
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    sheet.show();
    sheet.SetActivePage(2);
    {
        ui::ScriptedMessageBoxes boxes;
        boxes.Answer(ui::MsgAnswer::No);
        sheet.AskReread();
        EXPECT_TRUE(sheet.isVisible());
    }
    ui::ScriptedMessageBoxes boxes;
    boxes.Answer(ui::MsgAnswer::Yes);
    sheet.AskReread();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 1));
    sheet.show();
    EXPECT_EQ(sheet.GetActiveIndex(), 2);
}

TEST_F(QorinSheetFixture, SaveAndLoadThroughFiles)
{
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    const QString path = dir.filePath(QStringLiteral("rozvodna.set"));
    {
        ScriptedFileChooser chooser{path};
        sheet.OnSave();
        EXPECT_TRUE(chooser.lastSave);
        EXPECT_EQ(chooser.lastName, QStringLiteral("rozvodna.set"));
        EXPECT_EQ(chooser.lastFolder, dir.path());
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QorinSettingsBytes(sheet.m_config));
    file.close();

    // A Duskar file changes nothing and says why.
    const QString duskar = dir.filePath(QStringLiteral("duskar.set"));
    QString error;
    ASSERT_TRUE(SaveSettingsFile(duskar, DuskarSettingsBytes(SampleDuskarConfig(), SampleDuskarIden()), error));
    const QByteArray before = QorinSettingsBytes(sheet.m_config);
    sheet.m_data.Ctl<QLineEdit>(1032)->setText(QStringLiteral("0.91"));
    {
        ui::ScriptedMessageBoxes boxes;
        ScriptedFileChooser chooser{duskar};
        EXPECT_FALSE(sheet.OnLoad());
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_TRUE(boxes.Requests()[0].text.contains(QStringLiteral("nepatří")));
    }
    EXPECT_EQ(QorinSettingsBytes(sheet.m_config), before);
    EXPECT_EQ(sheet.m_data.ControlText(1032), QStringLiteral("0.91"));

    // Loading the saved file, then sending, writes the file's settings.
    {
        ScriptedFileChooser chooser{path};
        EXPECT_TRUE(sheet.OnLoad());
    }
    EXPECT_EQ(sheet.m_data.ControlText(1032), QStringLiteral("0.95"));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    sheet.SendToInstrument();
    ASSERT_EQ(io.written.size(), 1u);
    EXPECT_EQ(io.written[0].tarif1.t0, 95);
}
