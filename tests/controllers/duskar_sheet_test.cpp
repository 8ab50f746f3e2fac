#include "ControllerTestSupport.h"

#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "controllers/settings/SettingsFile.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;

namespace {

struct DuskarSheetFixture : ::testing::Test {
    DuskarSheetFixture()
    {
        io.duskar = SampleDuskarConfig();
        io.iden = SampleDuskarIden(18);
        io.archive = &store;
        io.folder = dir.path();
    }
    QTemporaryDir dir;
    DuskarStore store;
    FakeIo io;
    CDuskarDetail sheet{QStringLiteral("Nastavení přístroje (duskar)")};
};

} // namespace

TEST_F(DuskarSheetFixture, ReadsBothRecordsAndSetsTheModelFlags)
{
    io.duskarReads = {false, true};
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    EXPECT_EQ(io.sleeps, (std::vector<DWORD>{0}));
    EXPECT_TRUE(sheet.m_flags.thyristor);
    EXPECT_EQ(sheet.GetPageCount(), 4);
    EXPECT_TRUE(sheet.m_steps.IsEnabledCtl(1060));
    EXPECT_FLOAT_EQ(sheet.m_ctRatio, 200.0f);
    EXPECT_FLOAT_EQ(sheet.m_kvarFactor, 400.0f * 200.0f * 0.003f);

    io.iden = SampleDuskarIden(21);
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 1));
    EXPECT_TRUE(sheet.m_flags.sixStep);
    EXPECT_TRUE(sheet.m_flags.singleTariff);
    EXPECT_FALSE(sheet.m_flags.thyristor);
    EXPECT_FALSE(sheet.m_steps.IsEnabledCtl(1108));
}

TEST_F(DuskarSheetFixture, ALoadedFileBringsItsOwnModel)
{
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    ASSERT_TRUE(sheet.m_flags.thyristor);
    const QString path = dir.filePath(QStringLiteral("jiny.set"));
    QString error;
    ASSERT_TRUE(SaveSettingsFile(path, DuskarSettingsBytes(SampleDuskarConfig(), SampleDuskarIden(20)), error));
    ScriptedFileChooser chooser{path};
    ASSERT_TRUE(sheet.OnLoad());
    EXPECT_FALSE(sheet.m_flags.thyristor);
    EXPECT_FALSE(sheet.m_steps.IsThyristorModel());
    EXPECT_EQ(sheet.m_iden.model, 20);
}

TEST_F(DuskarSheetFixture, SendQueuesSettingsAndText)
{
    ASSERT_TRUE(sheet.ReadFromInstrument(io, 0));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    sheet.SendToInstrument();
    ASSERT_EQ(io.writtenDuskar.size(), 1u);
    const CArchivRecordList queued = store.Queued();
    ASSERT_EQ(queued.size(), 2u);
    EXPECT_EQ(queued[0].data.size(), CDuskarConfig::kImageSize);
    EXPECT_EQ(queued[1].type, 7);

    // A transformer change on the data page reaches the steps page.
    sheet.m_data.Ctl<QLineEdit>(1040)->setText(QStringLiteral("100"));
    emit sheet.m_data.Ctl<CCheckedEdit>(1040)->focusLeft();
    EXPECT_FLOAT_EQ(sheet.m_kvarFactor, 40000.0f * 200.0f * 0.003f);
}

TEST(ReadOnlySheets, SameRulesAsTheEditableSheets)
{
    // Qorin, model 1: data, alarms, then the two-section stages.
    CPristrojDetailStatic qorin(QStringLiteral("Nastavení přístroje"));
    CConfig config = SampleQorinConfig();
    config.switchingProgram = 6;
    config.SetCapacitorCount(3, 0);
    ASSERT_TRUE(qorin.LoadFromConfig(config, 4));
    ASSERT_EQ(qorin.GetPageCount(), 3);
    EXPECT_EQ(qorin.GetPage(1), &qorin.m_stages);
    EXPECT_TRUE(qorin.m_data.Ctl<QLineEdit>(1032)->isReadOnly());
    // Stages 1-3 are within the programmed count from stage 1, as on the
    // editable page; stage 4 and on show no value.
    EXPECT_EQ(qorin.m_stages.ButtonIcon(2), 160);
    EXPECT_EQ(qorin.m_stages.ButtonIcon(3), 176);
    CConfig editableCopy = config;
    float ratio = 100.0f;
    CKompenzacniStupne editable;
    editable.AttachConfig(&editableCopy, &ratio, FALSE);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(qorin.m_stages.ButtonIcon(i), editable.ButtonIcon(i)) << i;
        EXPECT_EQ(qorin.m_stages.ControlText(1140 + i), editable.ControlText(1140 + i)) << i;
    }
    // -0.90 is a valid power factor here too.
    config.tarif1.t0 = BYTE(-90);
    CPristrojDetailStatic again(QStringLiteral("Nastavení přístroje"));
    ASSERT_TRUE(again.LoadFromConfig(config, 1));
    EXPECT_EQ(again.m_data.ControlText(1032), QStringLiteral("-0.90"));
    EXPECT_EQ(again.GetPage(2), &again.m_stagesN);

    // Duskar: model 17 is not a thyristor model, on the archive sheet either.
    CDuskarDetailStatic duskar(QStringLiteral("Nastavení přístroje"));
    ASSERT_TRUE(duskar.LoadFromConfig(SampleDuskarConfig(), 17));
    EXPECT_FALSE(duskar.m_steps.IsThyristorModel());
    ASSERT_TRUE(duskar.LoadFromConfig(SampleDuskarConfig(), 18));
    EXPECT_TRUE(duskar.m_steps.IsThyristorModel());
    EXPECT_EQ(duskar.GetPageCount(), 4);

    // An archive without settings shows nothing.
    QorinStore empty;
    CPristrojDetailStatic none(QStringLiteral("Nastavení přístroje"));
    EXPECT_FALSE(none.LoadFromArchive(empty));
}
