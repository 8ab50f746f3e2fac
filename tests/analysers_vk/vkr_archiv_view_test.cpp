// The VKR archive window over an archive recorded by the VKR store: the
// graph, list and statistics under the range bar, the values of the current
// record with the connection's enabling, and its state kept in the archive.
#include "analysers_vk/ArchivViewFixture.h"
#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "archive_docs/ArchivDocHooks.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/StoreTestSupport.h"
#include "archive/store/VKRArchivData.h"
#include "charts/ArchivRangeBar.h"
#include "charts/ArchivValueLists.h"
#include "charts/StatPanel.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "charts/PdfCheck.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QLabel>
#include <QTabBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vk;
using platform::CTime;

namespace {

class VKRArchivViewTest
    : public archivviewtest::TArchivViewFixture<CVKRArchivData, CVKRArchivDoc, CVKRArchivView> {
protected:
    void SetUp() override
    {
        CreateArchive(AddVKRArchivTemplate, CTime(1233478800), QStringLiteral("vyvod"), QStringLiteral(".vkr"),
                      QStringLiteral("Vyvod")); // 2009-02-01 10:00 local
        WriteBlocks(3);
    }

    void WriteBlocks(int blocks)
    {
        CVKRConfig config;
        config.SetConnection(CVKRConfig::Aron);
        for (int b = 0; b < blocks; ++b) {
            WriteBlock(config, [](int record) {
                CVKRAktData values;
                for (int k = 0; k < 3; ++k) {
                    values.SetUPhase(k, 230.0f + float(record % 5));
                    values.SetI(k, 10.0f + float(k));
                    values.SetP(k, 2000.0f);
                }
                values.SetFrequency(5000);
                return values;
            });
        }
    }

    CVKRArchivView* OpenView()
    {
        return OpenArchive(QStringLiteral("VKRArchiv.Document"), QStringLiteral("vyvod.vkr"), QSize(900, 700));
    }
};

TEST_F(VKRArchivViewTest, ModesUnderTheRangeBarAndTheCurrentRecordsValues)
{
    CVKRArchivView* view = OpenView();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->Initialised());
    EXPECT_EQ(view->Mode(), 0);
    EXPECT_FALSE(view->Panel()->isVisibleTo(view));
    EXPECT_EQ(view->PaneMask() & CVKPaneLayout::kPanelBit, 0);
    CGraphRangeBar* bar = view->Modes().RangeBar();
    EXPECT_TRUE(bar->isVisibleTo(view));
    EXPECT_EQ(view->Graph()->geometry().top(), bar->geometry().top() + CVKArchivModes::kBarHeight);
    // The values of the current record, with the Aron connection's fields.
    EXPECT_FALSE(view->Values()->FieldText(1021).isEmpty());
    EXPECT_EQ(view->Values()->ConnectionType(), CVKRConfig::Aron);
    EXPECT_FALSE(view->Values()->Field(1027)->isEnabled());

    auto* tab = bar->findChild<QTabBar*>();
    ASSERT_TRUE(tab);
    tab->setCurrentIndex(1);
    EXPECT_EQ(view->Mode(), 1);
    EXPECT_TRUE(view->List()->isVisibleTo(view));
    EXPECT_EQ(view->List()->Model().rowCount(), m_records);
    tab->setCurrentIndex(2);
    EXPECT_TRUE(view->Stats()->isVisibleTo(view));
    EXPECT_GT(view->Stats()->ResultCount(), 0);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REFILL, 7, 0);
    EXPECT_FALSE(bar->isVisibleTo(view));
    EXPECT_FALSE(view->Graph()->isVisibleTo(view));
}

TEST_F(VKRArchivViewTest, TheAlarmListShowsTheEventsOfTheWindowInEveryMode)
{
    AddEvents();
    WriteBlocks(1);
    auto* view = OpenView();
    ASSERT_TRUE(view);
    ExpectEventRowsInEveryMode(view);
}

TEST_F(VKRArchivViewTest, PanesAndStatisticsSettingsAreKeptInTheArchive)
{
    CVKRArchivView* view = OpenView();
    ASSERT_TRUE(view);
    view->SetPanes(true, true, false, false);
    view->Stats()->GetSettings().nominalVoltage = 100.0f;
    view->Stats()->GetSettings().window1 = 15;
    CloseView();

    CVKRArchivView* again = OpenView();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->PaneMask(), CVKPaneLayout::kGraphBit | CVKPaneLayout::kValuesBit);
    EXPECT_EQ(again->Stats()->GetSettings().nominalVoltage, 100.0f);
    EXPECT_EQ(again->Stats()->GetSettings().window1, 15);
    EXPECT_EQ(again->StateRecord().Write().size(), CVKRArchivViewRecord::kSize);
}

TEST_F(VKRArchivViewTest, PrintingAfterTheFileChangedIsRefused)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKRArchivView* view = OpenView();
    ASSERT_TRUE(view);
    platform::SendMessageTo(view, platform::WM_ARCHIVE_REFILL, 1, 0);
    WriteBlocks(1); // the recorder went on meanwhile
    pdfcheck::PdfJobs jobs;
    ui::ScriptedMessageBoxes boxes;
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    EXPECT_EQ(jobs.chooserCalls, 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text,
              QStringLiteral("Zobrazené hodnoty nelze vytisknout, protože došlo k změně archivního souboru."));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    // Read again, the list now prints.
    platform::SendMessageTo(view, platform::WM_ARCHIVE_PRINT_GRAPH, 0, 0);
    EXPECT_EQ(jobs.chooserCalls, 1);
    EXPECT_GE(pdfcheck::PageCount(jobs.Path()), 1);
}

} // namespace
