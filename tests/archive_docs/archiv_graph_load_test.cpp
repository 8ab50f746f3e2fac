// An archive window loaded into the graphs: behind the wait dialog, with the
// window's alarms and events gathered for the document, and the series let
// go in a mode without graphs.
#include "DocTestSupport.h"

#include "archive_docs/ArchivEventsView.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/ArchivSeriesRegistry.h"
#include "platform/Cp1250.h"
#include "platform/ui/WaitDlg.h"

#include <QTreeWidget>
#include <QWidget>

namespace {

using namespace doctest;

// Counts the wait dialogs that appear over it.
class WaitOwner : public QWidget {
public:
    int waits = 0;

protected:
    void childEvent(QChildEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished && qobject_cast<ui::CWaitDlg*>(event->child()))
            ++waits;
        QWidget::childEvent(event);
    }
};

class ArchivGraphLoadTest : public ArchivDocTest {
protected:
    void SetUp() override
    {
        ArchivDocTest::SetUp();
        WriteBlock();
        m_writer.AddRecord(QStringLiteral("Přepětí fáze L1"), kRecordState);
        for (int b = 0; b < 4; ++b)
            WriteBlock();
        CArchivDocHooks::Instance().mainWindow = [this] { return &m_owner; };
    }

    static QStringList EventTexts(const CArchivEventList& events)
    {
        QStringList texts;
        for (const CArchivEventItem& item : events)
            if (item.type == kRecordState)
                texts << platform::FromCp1250(item.data);
        return texts;
    }

    WaitOwner m_owner;
};

TEST_F(ArchivGraphLoadTest, GraphModeLoadsBehindTheWaitDialogAndGathersTheEvents)
{
    HintView* view = nullptr;
    auto* doc = OpenDoc<CVKArchivDoc>(view);
    CArchivData& archiv = doc->GetArchiv();
    const QString name = SeriesNamesOfKind(kFamilyVK).front().toString();
    ASSERT_TRUE(archiv.SeriesRegistry().AddGraphSeries(name, {}, QStringLiteral("g"), 0, 500.0f, 0.0f));
    CArchivNavigator& nav = doc->Navigator();
    EXPECT_TRUE(nav.Events().empty());

    // The newest two blocks come without the dialog, the whole file with it.
    doc->SetWindow(m_times[30], m_times[49]);
    nav.SetMode(archive::kModeGraph);
    EXPECT_EQ(m_owner.waits, 0);
    EXPECT_TRUE(EventTexts(nav.Events()).isEmpty());
    CTime start;
    CTime end;
    nav.GetFileRange(start, end);
    doc->SetWindow(start, end);
    nav.SetMode(archive::kModeGraph);
    EXPECT_EQ(m_owner.waits, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m_owner.findChildren<ui::CWaitDlg*>().isEmpty());
    EXPECT_EQ(EventTexts(nav.Events()), QStringList{QStringLiteral("Přepětí fáze L1")});
    CGraphTrace* series = archiv.SeriesRegistry().FindGraphSeries(name);
    ASSERT_NE(series, nullptr);
    std::size_t points = 0;
    for (int channel = 0; channel < 3; ++channel)
        points += series->Points(channel).size();
    EXPECT_EQ(points, 50u);

    // Built already: no second load.
    nav.EnsureMode(archive::kModeGraph);
    EXPECT_EQ(m_owner.waits, 1);

    // The list needs no series: they keep their registration, not their points.
    nav.SetMode(archive::kModeList);
    ASSERT_EQ(archiv.SeriesRegistry().FindGraphSeries(name), series);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_TRUE(series->Points(channel).empty());
    EXPECT_TRUE(nav.Events().empty());

    // A load without progress shows no dialog.
    nav.SetMode(archive::kModeGraph, 0, false);
    EXPECT_EQ(m_owner.waits, 1);
    EXPECT_EQ(EventTexts(nav.Events()).size(), 1);
}

TEST_F(ArchivGraphLoadTest, PlainViewListsTheEventsOfTheWindow)
{
    auto* doc = new CVKArchivDoc;
    auto* view = new CArchivEventsView;
    doc->AddView(view);
    m_docs.push_back(doc);
    m_views.push_back(view);
    ASSERT_TRUE(doc->OnOpenDocument(ArchivePath()));
    QStringList texts;
    for (int row = 0; row < view->List()->topLevelItemCount(); ++row)
        texts << view->List()->topLevelItem(row)->text(1);
    EXPECT_TRUE(texts.contains(QStringLiteral("Přepětí fáze L1"))) << texts.join(QLatin1Char('|')).toStdString();

    // A window that leaves the event out shows the rest only.
    doc->SetWindow(m_times[40], m_times[49]);
    texts.clear();
    for (int row = 0; row < view->List()->topLevelItemCount(); ++row)
        texts << view->List()->topLevelItem(row)->text(1);
    EXPECT_FALSE(texts.contains(QStringLiteral("Přepětí fáze L1")));
}

} // namespace
