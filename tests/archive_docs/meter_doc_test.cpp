// Meter documents over the "bexor" stream of a VK archive.
#include "DocTestSupport.h"

#include "archive_docs/MeterArchivDoc.h"
#include "support/ScriptedMessageBoxes.h"

namespace {

using namespace doctest;

class MeterDocTest : public ArchivDocTest {
protected:
    void SetUp() override
    {
        ArchivDocTest::SetUp();
        WriteBlock();
        m_doc = new CBexorArchivDoc;
        m_view = new HintView;
        m_doc->AddView(m_view);
        m_docs.push_back(m_doc);
    }
    // A meter block of `entries` readings started at `time`.
    void AppendMeterBlock(CTime time, int entries)
    {
        std::unique_ptr<CArchivStream> stream;
        CBexorIndex index;
        ASSERT_EQ(m_writer.OpenOrCreateBexorStream(stream, index), 1);
        CBexorBlock block;
        block.SetMultiplier(2.0f);
        DWORD counters[CVKEData::kCounters] = {1, 2, 3};
        ASSERT_TRUE(index.AppendBlock(*stream, time, block, CBexorEntry(time, counters)));
        for (int i = 1; i < entries; ++i)
            ASSERT_TRUE(index.AppendEntry(*stream, CTime(time.GetTime() + 900u * unsigned(i)), counters));
    }

    CBexorArchivDoc* m_doc = nullptr;
    HintView* m_view = nullptr;
};

TEST_F(MeterDocTest, ReadsItsBlocksAndTellsTheViewsWhatChanged)
{
    AppendMeterBlock(m_times[0], 2);
    ASSERT_EQ(m_doc->OpenArchive(m_writer), 1);
    EXPECT_EQ(m_doc->GetTitle(), QStringLiteral("Archivní soubor elektroměru: hala"));
    ASSERT_EQ(m_doc->ReadCurrentBlock(), 1);
    EXPECT_EQ(m_doc->GetBlock().GetEntryCount(), 2);
    EXPECT_FLOAT_EQ(m_doc->GetBlock().GetMultiplier(), 2.0f);
    ASSERT_EQ(m_doc->ReadCurrentBlock(), 1);
    EXPECT_EQ(m_view->hints, (std::vector<std::intptr_t>{3, 2})); // the first read always says 3

    // The download manager adds a block meanwhile; the view asked for block 1.
    AppendMeterBlock(m_times[5], 3);
    m_view->hints.clear();
    m_doc->SetCurrentBlockIndex(1);
    ASSERT_EQ(m_doc->ReadRange(4), 1);
    EXPECT_EQ(m_doc->GetBlock().GetEntryCount(), 3);
    EXPECT_EQ(m_view->hints, std::vector<std::intptr_t>{4 | 1});

    // An index beyond the last block falls back to block 0.
    m_doc->SetCurrentBlockIndex(7);
    ASSERT_EQ(m_doc->ReadCurrentBlock(), 1);
    EXPECT_EQ(m_doc->GetCurrentBlockIndex(), 0);
    EXPECT_EQ(m_doc->GetBlock().GetEntryCount(), 2);
}

TEST_F(MeterDocTest, AnArchiveWithoutMeterDataOpensWithAnEmptyBlock)
{
    ASSERT_EQ(m_doc->OpenArchive(m_writer), 1);
    EXPECT_EQ(m_doc->ReadCurrentBlock(), 0);
    EXPECT_EQ(m_doc->GetBlock().GetEntryCount(), 0);
    EXPECT_TRUE(m_view->hints.empty());
}

TEST_F(MeterDocTest, AnArchiveThatCannotBeOpenedIsReportedAndRefused)
{
    CVKArchivData closed; // has no file
    ui::ScriptedMessageBoxes boxes;
    EXPECT_EQ(m_doc->OpenArchive(closed), 0);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(boxes.Requests()[0].icon, ui::MsgIcon::None);
}

} // namespace
