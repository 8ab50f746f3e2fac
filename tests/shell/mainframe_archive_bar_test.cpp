// The archive tool bar of the main window drives the archive that is open
// in the running program: it shows the document's window, its buttons move
// through the records, its zoom choice and slider place the window.
#include "RunningProgramTest.h"

#include "archive_docs/ArchivDocBase.h"
#include "charts/ArchivToolBar.h"
#include "platform/ThreadMessages.h"
#include "platform/Time32.h"
#include "platform/WindowMessage.h"
#include "shell/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>

namespace {

using platform::CTime;

class MainFrameArchiveBarTest : public shelltest::RunningProgramTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Start(false);
    }
    CArchivDocBase* Document() const { return qobject_cast<CArchivDocBase*>(frame->GetActiveDocument()); }
    int Current() const { return Document()->Navigator().GetCurrentRecord(); }
    qint64 WindowLength() const
    {
        CTime start;
        CTime end;
        Document()->Navigator().GetWindow(start, end);
        return qint64(end.GetTime()) - qint64(start.GetTime());
    }
};

TEST_F(MainFrameArchiveBarTest, TheBarFollowsTheOpenedArchiveAndDrivesIt)
{
    CArchivToolBar* bar = frame->DataControlBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->ZoomCombo()->count(), 0);
    // Without an archive the buttons reach nobody.
    EXPECT_FALSE(frame->OnArchiveToolCommand(archive::cmd::kGoStart));

    ASSERT_TRUE(app->OpenArchiveFile(dir.filePath(QStringLiteral("hala.vk"))));
    QCoreApplication::processEvents();
    ASSERT_NE(Document(), nullptr);
    EXPECT_TRUE(bar->isVisible());
    // The document filled the bar on opening.
    EXPECT_GT(bar->ZoomCombo()->count(), 0);
    EXPECT_GT(bar->Slider()->Range(), 0);

    const int last = Document()->Navigator().GetLoadedRecordCount() - 1;
    ASSERT_GT(last, 10);
    // Each button reaches the document: the start, then moves from there.
    using namespace archive::cmd;
    auto press = [&](int button) {
        ASSERT_NE(bar->Button(button), nullptr) << button;
        bar->Button(button)->trigger();
    };
    press(kGoEnd);
    EXPECT_EQ(Current(), last);
    press(kGoStart);
    const int first = Current();
    EXPECT_LT(first, last - 11);
    const struct {
        int button;
        int expected;
    } steps[] = {{kRecordForward, first + 1}, {kPageForward, first + 11}, {kPageBack, first + 1},
                 {kGoEnd, last},             {kRecordBack, last - 1}};
    for (const auto& s : steps) {
        press(s.button);
        EXPECT_EQ(Current(), s.expected) << s.button;
    }

    // The zoom list's third choice, one hour, becomes the document's window.
    ASSERT_GT(bar->ZoomCombo()->count(), 2);
    bar->ZoomCombo()->setCurrentIndex(2);
    emit bar->ZoomCombo()->activated(2);
    QCoreApplication::processEvents();
    EXPECT_EQ(WindowLength(), 3600);
    EXPECT_EQ(bar->ZoomCombo()->currentText(), QStringLiteral("1hod 0min "));

    // The slider's message places a window of half an hour.
    platform::SendMessageTo(frame, platform::WM_ARCHIVE_SLIDER, 0, 2);
    EXPECT_EQ(WindowLength(), 1800);
    EXPECT_EQ(bar->Slider()->Position(), 0);
}

} // namespace
