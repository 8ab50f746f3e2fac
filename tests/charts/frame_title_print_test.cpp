// Printouts started from inside an archive window name that window in their
// page header. The window is a child frame of the main window's MDI area,
// so the top-level window would be the main window: a header naming it
// tells the reader nothing about which archive was printed.
#include "PdfCheck.h"

#include "charts/ArchivValuePrint.h"
#include "charts/StatTabCtrl.h"
#include "charts_data/FormatFixtures.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/Document.h"
#include "platform/ui/MdiFrame.h"

#include <functional>

namespace {

class FrameTitlePrintTest : public statstest::ArchiveFixture {
    FORMATFIXTURE_HELPERS
};

const QString kMainTitle = QStringLiteral("Mavex");
const QString kFrameTitle = QStringLiteral("Rozvodna [hala.vk]");

TEST_F(FrameTitlePrintTest, HeaderNamesTheArchiveWindowNotTheMainWindow)
{
    PDFCHECK_REQUIRE_TOOLS();
    CVKStatSettings settings;
    settings.window1 = 600;
    settings.window2 = 3600;
    CVKStatResult result;
    result.settings = &settings;
    result.tail.startText = QStringLiteral("01.02.2009 10:00:00");
    result.tail.endText = QStringLiteral("02.02.2009 10:00:00");
    CVKArchivData document;
    formatfixture::WriteVKWithRatioChange(*this, document);
    charts::csvfamily::ScaleAndWalkLikeTheList(document);
    charts::VKCsvColumns columns;
    columns.flags[0] = 1;

    struct Case {
        const char* printout;
        // Prints from a widget placed in the archive window.
        std::function<QWidget*(QWidget* frame)> place;
        std::function<bool(QWidget* placed)> print;
    };
    const Case cases[] = {
        {"statistics",
         [&](QWidget* frame) {
             auto* tabs = new CStatTabCtrl(false, frame);
             tabs->SetResults(1, &result);
             tabs->Quantities().SelectTab(1);
             return tabs;
         },
         [](QWidget* placed) { return static_cast<CStatTabCtrl*>(placed)->PrintAll(QStringLiteral("hala")); }},
        {"values", [](QWidget* frame) { return new QWidget(frame); },
         [&](QWidget* placed) { return charts::PrintArchiveValues(placed, document, columns); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printout);
        ui::CMDIFrame main;
        main.setWindowTitle(kMainTitle);
        auto* frame = new ui::CChildFrame;
        frame->setWindowTitle(kFrameTitle);
        main.AddChildFrame(frame);
        QWidget* placed = c.place(frame);
        frame->setWidget(placed);
        ASSERT_EQ(placed->window(), &main);

        pdfcheck::PdfJobs jobs;
        ASSERT_TRUE(c.print(placed));
        const QStringList pages = pdfcheck::PageTexts(jobs.Path());
        ASSERT_GE(pages.size(), 1);
        for (const QString& page : pages) {
            EXPECT_TRUE(page.contains(kFrameTitle)) << page.toStdString();
            EXPECT_FALSE(page.contains(kMainTitle)) << page.toStdString();
        }
    }
}

} // namespace
