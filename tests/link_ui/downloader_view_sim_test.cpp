// The download window with its real worker and import against a simulated
// VK analyser: what the user sees when the instrument's status cannot be
// right, and what stays on disk when an import stores nothing.
#include "link/DownloadTestSupport.h"

#include "archive/store/VKArchivImport.h"
#include "link_ui/DownloaderDoc.h"
#include "link_ui/DownloaderView.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

using namespace downloadtest;

namespace {

class DownloaderViewSimTest : public DownloadTest {
protected:
    void SetUp() override
    {
        DownloadTest::SetUp();
        AddDownloaderTemplates(manager);
        StartAnalyser(sim::Family::VK);
        SetVKRecording();
        Fill(50, 12, 80);
        entry->m_soubor = QDir::toNativeSeparators(dir.filePath(QStringLiteral("hala")));
    }
    void TearDown() override
    {
        if (document)
            document->OnCloseDocument();
        while (document)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        DownloadTest::TearDown();
    }
    // The window as the instrument list's "Přijmout data" opens it.
    CDownloaderView& Open()
    {
        ui::CDocTemplate* found =
            manager.FindTemplate(ui::CDocTemplate::regFileTypeName, QStringLiteral("Downloader"));
        auto* doc = dynamic_cast<CDownloaderDoc*>(found->OpenDocumentFile(QString(), false));
        document = doc;
        doc->StartDownload(*entry);
        return *dynamic_cast<CDownloaderView*>(doc->FirstView());
    }
    template <class F>
    static bool Until(F done)
    {
        const QDeadlineTimer deadline(60000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }
    QStringList TempFiles() const { return QDir(dir.path()).entryList({QStringLiteral("*.tmp")}, QDir::Files); }

    ui::CDocManager manager;
    QPointer<ui::CDocument> document;
};

// An instrument that holds records but whose status has no valid time of
// the newest one: the download says so (not "Příjem dat úspěšně ukončen"),
// offers a retry, and nothing is left behind.
TEST_F(DownloaderViewSimTest, InvalidNewestTimeIsReportedNotTakenAsAnEmptyMemory)
{
    line.WithInstrument(1, [](sim::Instrument& i) { std::fill_n(i.blocks[0x14].begin() + 28, 6, 0); });
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    CDownloaderView& view = Open();
    ASSERT_TRUE(Until([&] { return !boxes.Requests().empty() || view.IsFinished(); }));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, DownloadErrorText(kDownloadInvalidStatus));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_TRUE(TempFiles().isEmpty());
    EXPECT_FALSE(QFile::exists(entry->m_soubor + QStringLiteral("-Off1.vk")));
}

// The settings and the status came but the memory's blocks do not: the
// user is told that the data could not be read, not the settings.
TEST_F(DownloaderViewSimTest, UnreadableBlocksAreReportedAsData)
{
    line.WithInstrument(1, [](sim::Instrument& i) {
        i.SetCommand(0x16, [](sim::Instrument&, const sim::Frame&) { return sim::Response::Data({1}); });
    });
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Cancel);
    CDownloaderView& view = Open();
    ASSERT_TRUE(Until([&] { return !boxes.Requests().empty() || view.IsFinished(); }));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Nepadařilo se přečíst všechna data.\nData nemohou být přijata."));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_TRUE(TempFiles().isEmpty());
}

// The simulator's archive as it comes: OK takes the proposed new file, the
// records land in it and the window closes without a box.
TEST_F(DownloaderViewSimTest, DownloadIntoANewFileStoresTheRecords)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    CDownloaderView& view = Open();
    static_cast<QPushButton*>(view.Control(CDownloaderView::IdOk))->click();
    ASSERT_TRUE(Until([&] { return document.isNull(); }));
    EXPECT_TRUE(boxes.Requests().empty()) << boxes.Requests()[0].text.toStdString();
    CVKDownloadArchivData reader;
    ASSERT_TRUE(reader.OpenByPath(entry->m_soubor + QStringLiteral("-Off1.vk")));
    int records = 0;
    ASSERT_TRUE(reader.OpenFirstBlock());
    do {
        for (const CArchivRecord& record : reader.CurrentBlock())
            records += record.IsData() ? 1 : 0;
    } while (reader.ReadNextBlock());
    EXPECT_EQ(records, 50);
    EXPECT_TRUE(TempFiles().isEmpty());
}

} // namespace
