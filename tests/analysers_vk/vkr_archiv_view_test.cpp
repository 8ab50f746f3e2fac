// The VKR archive window over an archive recorded by the VKR store: the
// graph, list and statistics under the range bar, the values of the current
// record with the connection's enabling, and its state kept in the archive.
#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKRArchivView.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "archive/documents/ArchivDocHooks.h"
#include "archive/documents/FamilyArchivDocs.h"
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

class VKRArchivViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("settings.ini")));
        AddVKRArchivTemplate(m_manager);
        m_clock.Set(CTime(1233478800)); // 2009-02-01 10:00 local
        m_writer.SetTimeSource(m_clock.Source());
        ASSERT_EQ(m_writer.Create(40 * 60 * 10, 10, 60, m_dir.filePath(QStringLiteral("vyvod")),
                                  QStringLiteral(".vkr"), TRUE, TRUE, QStringLiteral("Vyvod")),
                  1);
        WriteBlocks(3);
    }

    void WriteBlocks(int blocks)
    {
        for (int b = 0; b < blocks; ++b) {
            CVKRConfig config;
            config.SetConnection(CVKRConfig::Aron);
            m_writer.AddConfigRecord(config);
            for (int i = 0; i < 10; ++i) {
                m_clock.Advance(60);
                CVKRAktData values;
                for (int k = 0; k < 3; ++k) {
                    values.SetUPhase(k, 230.0f + float(m_records % 5));
                    values.SetI(k, 10.0f + float(k));
                    values.SetP(k, 2000.0f);
                }
                values.SetFrequency(5000);
                m_writer.AddMeasurementRecord(values);
                ++m_records;
            }
            m_clock.Advance(1);
            const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
            ASSERT_EQ(m_writer.Flush(FALSE, mode, QStringLiteral("Vyvod")), 1);
        }
    }
    void TearDown() override
    {
        CloseView();
        m_writer.Close();
        platform::Settings::SetFileForTesting(QString());
    }

    CVKRArchivView* OpenView()
    {
        ui::CDocTemplate* t =
            m_manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKRArchiv.Document"));
        if (!t)
            return nullptr;
        m_doc = qobject_cast<CVKRArchivDoc*>(t->OpenDocumentFile(m_dir.filePath(QStringLiteral("vyvod.vkr")), true));
        if (!m_doc)
            return nullptr;
        m_view = qobject_cast<CVKRArchivView*>(m_doc->FirstView());
        if (m_view && m_view->GetParentFrame())
            m_view->GetParentFrame()->resize(900, 700);
        QApplication::processEvents();
        return m_view;
    }

    void CloseView()
    {
        if (m_doc)
            m_doc->OnCloseDocument();
        m_doc = nullptr;
        m_view = nullptr;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    QTemporaryDir m_dir;
    storetest::FakeClock m_clock;
    CVKRArchivData m_writer;
    int m_records = 0;
    ui::CDocManager m_manager;
    QPointer<CVKRArchivDoc> m_doc;
    QPointer<CVKRArchivView> m_view;
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
