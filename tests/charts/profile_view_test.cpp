// The profile document, its view, graph and value panels, from profile files
// written with the program's own serialiser.
#include "PdfCheck.h"
#include "ProfileFixture.h"
#include "TimeAxisCheck.h"

#include "charts/ProfileDoc.h"
#include "charts/ProfileGraphWnd.h"
#include "charts/ProfileValuesDlg.h"
#include "charts/ProfileView.h"
#include "charts/VKTPanelHodnotyDlg.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/Artwork.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QScrollBar>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace profilefixture;

class ProfileViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddProfileTemplates(manager);
        CProfileDoc::SetBeep([this] { ++beeps; });
        vkPath = Write(dir.filePath(QStringLiteral("hala_MP_Y09D0305.pro")),
                       charts::StoreProfileFile(VKDay(QStringLiteral("hala")), 24));
        vktPath = Write(dir.filePath(QStringLiteral("rozvodna_SP_Y09D0305.pro")),
                        charts::StoreProfileFile(VKTDay(QStringLiteral("rozvodna")), 15));
    }
    void TearDown() override
    {
        if (document)
            document->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(document.isNull());
        CProfileDoc::SetBeep(nullptr);
        platform::Settings::SetFileForTesting(QString());
    }
    CProfileDoc* Open(const QString& path)
    {
        auto* doc = qobject_cast<CProfileDoc*>(manager.OpenDocumentFile(path, false));
        document = doc;
        return doc;
    }
    static CProfileView* ViewOf(CProfileDoc* doc) { return qobject_cast<CProfileView*>(doc->FirstView()); }

    QTemporaryDir dir;
    ui::CDocManager manager;
    QPointer<ui::CDocument> document;
    QString vkPath;
    QString vktPath;
    int beeps = 0;
};

TEST_F(ProfileViewTest, AProfileFileOpensByItsEndingWithThePanelOfItsFamily)
{
    const QThread::Priority priority = QThread::currentThread()->priority();
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    // Preparing the traces leaves the GUI thread's priority alone.
    EXPECT_EQ(QThread::currentThread()->priority(), priority);
    EXPECT_EQ(doc->GetProfileType(), 2);
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("Maximální profil hala (05.03.09)"));
    CProfileView* view = ViewOf(doc);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Kind(), 0);
    EXPECT_EQ(view->PanelHeight(), 90);
    ASSERT_NE(qobject_cast<CProfileValuesDlg*>(view->Panel()), nullptr);
    // Without settings of its own the first seven quantities show, in their
    // default colours, and the panel carries the same choices.
    CProfileData* data = doc->GetProfile();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(data->FindGraphSeries(data->GetQuantityName(i)) != nullptr, i < 7) << i;
        EXPECT_EQ(view->Panel()->Shown(i), i < 7 ? 1 : 0) << i;
        EXPECT_EQ(view->Panel()->Colour(i), CProfileGraphWnd::DefaultColour(i)) << i;
        EXPECT_EQ(view->Panel()->CheckBox(i)->isChecked(), i < 7) << i;
    }
    EXPECT_EQ(view->Panel()->TimeText(), QStringLiteral("05.03.09 00:00:00"));
    EXPECT_EQ(view->Panel()->ValueText(0), QStringLiteral("229.8"));

    // The same document takes a VKT profile: its data and panel replace the VK ones.
    ASSERT_TRUE(doc->OnOpenDocument(vktPath));
    EXPECT_EQ(doc->GetProfileType(), 4);
    EXPECT_EQ(doc->GetProfile()->GetQuantityCount(), 23);
    EXPECT_EQ(view->Kind(), 1);
    EXPECT_EQ(view->PanelHeight(), 160);
    auto* vkt = qobject_cast<CVKTPanelHodnotyDlg*>(view->Panel());
    ASSERT_NE(vkt, nullptr);
    EXPECT_EQ(vkt->FileText(), QStringLiteral("rozvodna_SP_Y09D0305.pro"));
    EXPECT_EQ(vkt->OutagesText(), QStringLiteral("0"));
    EXPECT_EQ(view->Graph()->Data(), doc->GetProfile());
    // The currents share one axis wide enough for their sum.
    CProfileData* vktData = doc->GetProfile();
    const CGraphTrace* sum = vktData->FindGraphSeries(QStringLiteral("I4"));
    ASSERT_NE(sum, nullptr);
    for (const char* name : {"I1", "I2", "I3"}) {
        const CGraphTrace* t = vktData->FindGraphSeries(QString::fromLatin1(name));
        ASSERT_NE(t, nullptr) << name;
        EXPECT_EQ(t->Maximum(), sum->Maximum()) << name;
        const CGraphPoint noon = t->Points(0)[720];
        EXPECT_NEAR(t->ValueOfY(noon.y), name[1] == '1' ? 6.65 : name[1] == '2' ? 7.315 : 7.98, 0.05) << name;
    }
}

TEST_F(ProfileViewTest, ADamagedFileOpensNothingAndSaysWhyInCzech)
{
    const QByteArray good = charts::StoreProfileFile(VKDay(QStringLiteral("hala")), 24);
    QByteArray wrongType = good;
    // The instrument type after the name ("hala": a length byte and 4 chars).
    wrongType[5] = 7;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"cut in the head", good.left(3), "Soubor je pravděpodobně poškozen."},
        {"no profile type", wrongType, "Soubor je pravděpodobně poškozen."},
        {"cut in the minutes", good.left(good.size() / 2), "Chyba při čtení souboru."},
        {"items of 18 bytes", VKWrongItemSize(QStringLiteral("hala")), "Chyba při čtení souboru."},
    };
    for (const auto& c : cases) {
        const QString path = Write(dir.filePath(QStringLiteral("bad.pro")), c.bytes);
        ui::ScriptedMessageBoxes boxes;
        EXPECT_EQ(Open(path), nullptr) << c.name;
        ASSERT_EQ(boxes.Requests().size(), 1u) << c.name;
        EXPECT_EQ(boxes.Requests()[0].text, QString::fromUtf8(c.message)) << c.name;
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA")) << c.name;
        EXPECT_TRUE(manager.Templates().front()->Documents().empty()) << c.name;
    }
    // Into an open profile a damaged file changes nothing.
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    ui::ScriptedMessageBoxes boxes;
    Write(dir.filePath(QStringLiteral("bad.pro")), VKWrongItemSize(QStringLiteral("jiny")));
    EXPECT_FALSE(doc->OnOpenDocument(dir.filePath(QStringLiteral("bad.pro"))));
    EXPECT_EQ(doc->GetProfile()->GetHeaderText(), QStringLiteral("hala"));
    EXPECT_EQ(doc->GetProfile()->GetPath(), vkPath);
}

TEST_F(ProfileViewTest, CursorKeysMoveTheCursorAndBeepAtTheEndsOfTheDay)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->resize(800, 600);
    view->show();
    CProfileGraphWnd* graph = view->Graph();
    const auto key = [&](Qt::Key k) {
        QTest::keyClick(graph, k);
        QCoreApplication::processEvents();
    };
    key(Qt::Key_Right);
    EXPECT_EQ(doc->GetProfile()->GetCursor(), 1);
    key(Qt::Key_PageUp);
    EXPECT_EQ(doc->GetProfile()->GetCursor(), 16);
    EXPECT_EQ(view->Panel()->TimeText(), QStringLiteral("05.03.09 00:16:00"));
    EXPECT_EQ(beeps, 0);
    key(Qt::Key_PageDown);
    key(Qt::Key_PageDown);
    EXPECT_EQ(doc->GetProfile()->GetCursor(), 0);
    EXPECT_EQ(beeps, 1);
    key(Qt::Key_Left); // stays on minute 0 and beeps again
    EXPECT_EQ(beeps, 2);
    doc->MoveCursor(1430, 0);
    doc->MoveCursor(0, 1);
    EXPECT_EQ(doc->GetProfile()->GetCursor(), 1439);
    EXPECT_EQ(beeps, 3);
    EXPECT_EQ(view->Panel()->TimeText(), QStringLiteral("05.03.09 23:59:00"));

    // A click in the middle of the plot puts the cursor on noon.
    const CGraphRect plot = graph->PlotRect();
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint((plot.left + plot.right) / 2, (plot.top + plot.bottom) / 2));
    EXPECT_NEAR(doc->GetProfile()->GetCursor(), 720, 2);
    EXPECT_EQ(view->Panel()->TimeText().left(11), QStringLiteral("05.03.09 12"));
}

TEST_F(ProfileViewTest, TheCursorStandsUnderTheTickOfItsTimeAndAClickOnATickSelectsIt)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->resize(900, 600);
    view->show();
    CProfileGraphWnd* graph = view->Graph();
    QImage image = graph->RenderImage();
    CGraphRect plot = graph->PlotRect();
    // The axis runs over the plot: 00:00 at its left edge, 24:00 at its right.
    const std::vector<int> ticks = timeaxis::TickXs(image, plot);
    ASSERT_GE(ticks.size(), 3u);
    EXPECT_NEAR(ticks.front(), plot.left, 1);
    EXPECT_NEAR(ticks.back(), plot.right, 1);
    // The tick nearest noon, on a whole hour.
    int noon = ticks.front();
    for (int x : ticks)
        if (std::abs(x - (ticks.front() + ticks.back()) / 2) < std::abs(noon - (ticks.front() + ticks.back()) / 2))
            noon = x;
    const int hour = int(std::lround(timeaxis::SecondsAt(ticks, noon, 0, 86400) / 3600));
    // Minutes of one pixel.
    const double pixel = 1440.0 / plot.Width();
    QTest::mouseClick(graph, Qt::LeftButton, {}, QPoint(noon, (plot.top + plot.bottom) / 2));
    QCoreApplication::processEvents();
    EXPECT_NEAR(doc->GetProfile()->GetCursor(), 60 * hour, pixel + 1);
    image = graph->RenderImage();
    EXPECT_NEAR(timeaxis::MarkerX(image, graph->PlotRect()), noon, 1);
    // A cursor moved by keys stands under the tick of its minute.
    for (int k = 0; k < 4; ++k)
        QTest::keyClick(graph, Qt::Key_PageUp);
    QCoreApplication::processEvents();
    const int minute = doc->GetProfile()->GetCursor();
    image = graph->RenderImage();
    plot = graph->PlotRect();
    EXPECT_NEAR(timeaxis::SecondsAt(ticks, timeaxis::MarkerX(image, plot), 0, 86400), 60.0 * minute,
                60 * (pixel + 1));
}

TEST_F(ProfileViewTest, PanelChoicesShowAndHideCurvesAndTheFirstVoltageStays)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->resize(800, 600);
    view->show();
    CProfileData* data = doc->GetProfile();
    CProfileChoiceDlg* panel = view->Panel();
    // PF1 on: its curve appears, filled.
    QTest::mouseClick(panel->CheckBox(7), Qt::LeftButton);
    const CGraphTrace* pf1 = data->FindGraphSeries(QStringLiteral("PF1"));
    ASSERT_NE(pf1, nullptr);
    EXPECT_FALSE(pf1->Points(0)[600].IsGap());
    // Every box cleared: only U1 stays.
    for (int i = 0; i < panel->QuantityCount(); ++i)
        if (panel->CheckBox(i)->isChecked())
            QTest::mouseClick(panel->CheckBox(i), Qt::LeftButton);
    EXPECT_TRUE(panel->CheckBox(0)->isChecked());
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(data->FindGraphSeries(data->GetQuantityName(i)) != nullptr, i == 0) << i;

    // The drawn graph has U1's colour and no longer I1's.
    const QImage image = view->Graph()->RenderImage();
    const auto has = [&](std::uint32_t ref) {
        const QColor c = ColorFromRef(ref);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == c)
                    return true;
        return false;
    };
    EXPECT_TRUE(has(CProfileGraphWnd::DefaultColour(0)));
    EXPECT_FALSE(has(CProfileGraphWnd::DefaultColour(3)));
}

TEST_F(ProfileViewTest, LayoutAndZoomCommands)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->show();
    view->resize(900, 700);
    EXPECT_EQ(view->Graph()->geometry(), QRect(0, 0, 900, 610));
    EXPECT_EQ(view->Panel()->geometry(), QRect(0, 610, 900, 90));
    // Smaller than the graph's minimum: the graph keeps 300 both ways.
    view->resize(200, 250);
    EXPECT_EQ(view->Graph()->geometry(), QRect(0, 0, 300, 300));
    EXPECT_EQ(view->Panel()->geometry().top(), 300);

    CProfileGraphWnd* graph = view->Graph();
    ASSERT_TRUE(view->OnCommand(32189)); // value axis 1000 %
    EXPECT_EQ(graph->Y1() - graph->Y0(), 100);
    ASSERT_TRUE(view->OnCommand(32185)); // back to 100 %
    EXPECT_EQ(graph->Y0(), 0);
    EXPECT_EQ(graph->Y1(), 1000);
    view->OnCommand(CProfileView::kCmdVertZoomIn);
    view->OnCommand(CProfileView::kCmdVertZoomIn);
    EXPECT_EQ(graph->Y1() - graph->Y0(), 250);
    view->OnCommand(CProfileView::kCmdZoomAll);
    EXPECT_EQ(graph->Y1() - graph->Y0(), 1000);
    const bool grid = graph->Grid();
    view->OnCommand(CProfileView::kCmdGrid);
    EXPECT_NE(graph->Grid(), grid);
    EXPECT_FALSE(view->OnCommand(12345));
}

TEST_F(ProfileViewTest, RepaintingDrawsTheSameGraph)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->resize(800, 600);
    view->show();
    CProfileGraphWnd* graph = view->Graph();
    const QImage first = graph->grab().toImage();
    const int left = graph->PlotRect().left;
    const QImage second = graph->grab().toImage();
    EXPECT_EQ(graph->PlotRect().left, left);
    EXPECT_TRUE(first == second);
    // The voltage axis starts at the graph's left edge: its line is the
    // first upright line from the left, within the room of one axis (a few
    // characters of the label font, whatever its face), and its labels
    // stand left of it.
    const CGraphRect& plot = graph->PlotRect();
    const auto dark = [&first](int x, int y) { return first.pixelColor(x, y).lightness() < 100; };
    int axisLine = -1;
    for (int x = 5; x < first.width() && axisLine < 0; ++x)
        for (int y = plot.top, run = 0; y <= plot.bottom; ++y) {
            run = dark(x, y) ? run + 1 : 0;
            if (run > (plot.bottom - plot.top) / 2) {
                axisLine = x;
                break;
            }
        }
    ASSERT_NE(graph->LabelFont(), nullptr);
    const int charWidth = QFontMetrics(*graph->LabelFont(), graph).averageCharWidth();
    ASSERT_GT(axisLine, 5);
    EXPECT_LT(axisLine, 5 + 12 * charWidth);
    bool labels = false;
    for (int x = 5; x < axisLine - charWidth / 3 - 1 && !labels; ++x)
        for (int y = plot.top + (plot.bottom - plot.top) / 4; y < plot.bottom - (plot.bottom - plot.top) / 4 && !labels; ++y)
            labels = dark(x, y);
    EXPECT_TRUE(labels);
}

TEST_F(ProfileViewTest, AViewBelowTheMinimumScrollsToThePanel)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->show();
    view->resize(250, 280); // needs 300 x (300 + 90)
    QScrollArea* area = view->ScrollArea();
    QScrollBar* down = area->verticalScrollBar();
    QScrollBar* across = area->horizontalScrollBar();
    ASSERT_TRUE(down->isVisible());
    ASSERT_TRUE(across->isVisible());
    EXPECT_EQ(view->Graph()->size(), QSize(300, 300));
    const QColor white(Qt::white);
    const auto pixelAboveTheBar = [&] {
        const QImage image = view->grab().toImage();
        return image.pixelColor(3, area->viewport()->height() - 4);
    };
    // The graph fills the window; its white plot reaches the bottom edge.
    EXPECT_EQ(pixelAboveTheBar(), white);
    EXPECT_GT(view->Panel()->mapTo(view, QPoint(0, 0)).y(), view->height());

    down->triggerAction(QAbstractSlider::SliderToMaximum);
    QCoreApplication::processEvents();
    const QPoint panelTop = view->Panel()->mapTo(view, QPoint(0, 0));
    EXPECT_EQ(panelTop.y() + view->PanelHeight(), area->viewport()->height());
    EXPECT_EQ(pixelAboveTheBar(), view->Panel()->palette().color(QPalette::Window));

    // Large enough again: no bars, nothing scrolled away.
    view->resize(700, 600);
    QCoreApplication::processEvents();
    EXPECT_FALSE(down->isVisible());
    EXPECT_FALSE(across->isVisible());
    EXPECT_EQ(view->Panel()->mapTo(view, QPoint(0, 0)), QPoint(0, 510));
}

TEST_F(ProfileViewTest, ThePrintButtonPrintsTheHeadingLegendAndGraph)
{
    PDFCHECK_REQUIRE_TOOLS();
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->resize(800, 600);
    view->show();
    pdfcheck::PdfJobs jobs;
    QTest::mouseClick(view->Panel()->PrintButton(), Qt::LeftButton);
    EXPECT_EQ(jobs.chooserCalls, 1);
    EXPECT_EQ(pdfcheck::PageCount(jobs.Path()), 1);
    // The PDF text has the "fi" ligature.
    const QString text = pdfcheck::PageTexts(jobs.Path()).join(QString()).replace(QChar(0xFB01), QStringLiteral("fi"));
    EXPECT_TRUE(text.contains(QStringLiteral("Naměřený profil hala od 05.03.09 00:00:00 do 06.03.09 00:00:00")))
        << text.toStdString();
    for (const char* name : {"U1", "U2", "U3", "I1", "I4"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(text.contains(QStringLiteral("PF1")));
}

TEST_F(ProfileViewTest, ThePrintButtonShowsAPrinterNotTheSavePicture)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    QPushButton* print = ViewOf(doc)->Panel()->PrintButton();
    const QImage shown = print->icon().pixmap(16, 16).toImage();
    EXPECT_EQ(shown, ui::PrintIcon().pixmap(16, 16).toImage());
    EXPECT_NE(shown, print->style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(16, 16).toImage());
}

TEST_F(ProfileViewTest, OnPaperEveryShownQuantityHasAnAxisOfItsUnit)
{
    PDFCHECK_REQUIRE_TOOLS();
    CProfileDoc* doc = Open(vktPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    view->resize(900, 700);
    view->show();
    CProfileGraphWnd* graph = view->Graph();
    std::array<std::uint32_t, CProfileGraphWnd::kMaxQuantities> colours{};
    std::array<int, CProfileGraphWnd::kMaxQuantities> shown{};
    graph->GetTraceColours(colours, shown);
    // U1, I1, PF1, P1, Q2, S3 and the three-phase reactive power.
    shown.fill(0);
    for (int i : {0, 3, 7, 11, 16, 18, 21})
        shown[std::size_t(i)] = 1;
    graph->SetTraceStyles(shown, colours);
    doc->GetProfile()->Prepare(CProfileData::kFillTraces);
    pdfcheck::PdfJobs jobs;
    ASSERT_TRUE(view->PrintGraph());
    const QString text = pdfcheck::PageTexts(jobs.Path()).join(QString());
    // One axis a unit: the powers of one kind share theirs, and no axis
    // stands for the screen's mixed "P,Q,S" group. Each axis is captioned
    // by its first trace's name with the unit, over the unit itself.
    const CProfileData& data = *doc->GetProfile();
    const std::vector<std::pair<int, const char*>> axes = {{0, "[V]"},  {3, "[A]"},    {7, "[1]"},
                                                           {11, "[W]"}, {16, "[var]"}, {21, "[VA]"}};
    for (const auto& [first, unit] : axes) {
        const QString caption = data.GetQuantityName(first) + QString::fromLatin1(unit);
        EXPECT_EQ(text.count(caption), 1) << caption.toStdString() << "\n" << text.toStdString();
        EXPECT_EQ(text.count(QString::fromLatin1(unit)), 2) << unit << "\n" << text.toStdString();
    }
    EXPECT_FALSE(text.contains(data.GetQuantityName(18) + QStringLiteral("[var]"))); // the second reactive power
    EXPECT_FALSE(text.contains(QStringLiteral("P,Q,S")));
    EXPECT_FALSE(text.contains(QStringLiteral("W,...")));
}

TEST_F(ProfileViewTest, TheStoredInstrumentSettingsOpenFromTheGraphMenu)
{
    CProfileDoc* doc = Open(vkPath);
    ASSERT_NE(doc, nullptr);
    CProfileView* view = ViewOf(doc);
    std::vector<CProfileData*> shown;
    bool readable = true;
    CProfileDoc::SetSettingsSheet([&](QWidget*, CProfileData& data) {
        shown.push_back(&data);
        return readable;
    });
    ui::ScriptedMessageBoxes boxes;
    ASSERT_TRUE(view->OnCommand(CProfileGraphWnd::kCmdInstrumentSettings));
    EXPECT_EQ(shown, std::vector<CProfileData*>{doc->GetProfile()});
    EXPECT_TRUE(boxes.Requests().empty());
    readable = false;
    view->OnCommand(CProfileGraphWnd::kCmdInstrumentSettings);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text,
              QStringLiteral("Nelze načíst nastavení přístroje ze souboru.\nSoubor může být poškozen"));
    EXPECT_EQ(boxes.Requests()[0].buttons, ui::MsgButtons::OkCancel);
    CProfileDoc::SetSettingsSheet(nullptr);
}

} // namespace
