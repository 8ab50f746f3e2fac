#pragma once

// An analyser archive recorded by its family's writer on a fake clock, and
// the family's archive view opened over it as the program opens an archive.

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/ArchivRecord.h"
#include "charts/PanelEventList.h"
#include "archive/store/StoreTestSupport.h"
#include "charts/ArchivRangeBar.h"
#include "charts/TimeAxisCheck.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/Settings.h"
#include "platform/Time32.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QPointer>
#include <QStringList>
#include <QTabBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace archivviewtest {

template <class Data, class Doc, class View>
class TArchivViewFixture : public ::testing::Test {
protected:
    // The settings go to a file of the test; the archive `base` + `ending`
    // is created at `start` for the instrument `name`.
    void CreateArchive(void (*addTemplate)(ui::CDocManager&), platform::CTime start, const QString& base,
                       const QString& ending, const QString& name)
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("settings.ini")));
        addTemplate(m_manager);
        m_name = name;
        m_clock.Set(start);
        m_writer.SetTimeSource(m_clock.Source());
        ASSERT_EQ(m_writer.Create(40 * 60 * 10, 10, 60, m_dir.filePath(base), ending, TRUE, TRUE, name), 1);
    }

    void TearDown() override
    {
        CloseView();
        m_writer.Close();
        CArchivDocHooks::Instance().runDialog = nullptr;
        platform::Settings::SetFileForTesting(QString());
    }

    // One block: its settings record, then ten measurements a minute apart.
    template <class Config, class MakeValues>
    void WriteBlock(const Config& config, MakeValues values)
    {
        m_writer.AddConfigRecord(config);
        for (int i = 0; i < 10; ++i) {
            m_clock.Advance(60);
            m_writer.AddMeasurementRecord(values(m_records++));
        }
        m_clock.Advance(1);
        const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(m_writer.Flush(FALSE, mode, m_name), 1);
    }

    // A one-off event and an alarm, both met before the block written next.
    void AddEvents()
    {
        m_writer.AddRecord(QStringLiteral("Nastavení instalace odesláno do přístroje."), kRecordState);
        m_writer.AddRecord(QStringLiteral("Přetížení I1"), kRecordFault);
    }

    // What the alarm list shows for those events: the one-off event once,
    // the alarm where it began and, being seen no more, where it ended.
    static void ExpectEventRows(CPanelEventList* list)
    {
        ASSERT_TRUE(list);
        QStringList rows;
        for (int r = 0; r < list->RowCount(); ++r)
            rows << list->RowText(r);
        EXPECT_EQ(rows.size(), 3) << rows.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(rows.contains(QStringLiteral("Nastavení instalace odesláno do přístroje.")));
        EXPECT_TRUE(rows.contains(QStringLiteral("Přetížení I1(začátek)")));
        EXPECT_TRUE(rows.contains(QStringLiteral("Přetížení I1(konec)")));
        EXPECT_TRUE(list->isVisibleTo(list->parentWidget()));
    }

    // The same rows in the graph, the list and the statistics alike.
    static void ExpectEventRowsInEveryMode(View* view)
    {
        ExpectEventRows(view->Alarms());
        for (int tab : {1, 2, 0}) {
            view->Modes().RangeBar()->template findChild<QTabBar*>()->setCurrentIndex(tab);
            ExpectEventRows(view->Alarms());
        }
    }

    View* OpenArchive(const QString& docString, const QString& file, QSize frame)
    {
        ui::CDocTemplate* t = m_manager.FindTemplate(ui::CDocTemplate::regFileTypeId, docString);
        if (!t)
            return nullptr;
        m_doc = qobject_cast<Doc*>(t->OpenDocumentFile(m_dir.filePath(file), true));
        if (!m_doc)
            return nullptr;
        m_view = qobject_cast<View*>(m_doc->FirstView());
        if (m_view && m_view->GetParentFrame())
            m_view->GetParentFrame()->resize(frame);
        QApplication::processEvents();
        return m_view;
    }

    // The range bar's window from `from` to `to` seconds after the file's
    // start, as the user sets it; returns its start.
    platform::CTime ShowWindow(View* view, int from, int to)
    {
        platform::CTime start, end;
        m_doc->Navigator().GetFileRange(start, end);
        view->Modes().RangeBar()->SetLimits(platform::CTime(start.GetTime() + from),
                                            platform::CTime(start.GetTime() + to));
        platform::SendMessageTo(view, platform::WM_ARCHIVE_SET_WINDOW, 0, 0);
        return platform::CTime(start.GetTime() + from);
    }

    // A click `permille` of the way across the graph's plot, half way up.
    static void ClickAcross(CGraphWnd* graph, int permille)
    {
        graph->RenderImage(); // lays the plot out
        const CGraphRect plot = graph->PlotRect();
        const QPoint at(plot.left + (plot.right - plot.left) * permille / 1000, (plot.top + plot.bottom) / 2);
        QTest::mouseClick(graph, Qt::LeftButton, {}, at);
    }

    // A click on the middle tick of the graph's axis over a window from
    // `from`, `span` seconds long, whose ticks stand at both ends: the current
    // record becomes the last one at or before that time (records a minute
    // apart), and the cursor line stands at the record's time on the axis.
    static void ExpectAClickedTickSelectsItsRecord(CGraphWnd* graph, platform::CTime from, double span,
                                                   const std::function<platform::CTime()>& current)
    {
        const timeaxis::TickClick click = timeaxis::ClickMiddleTick(graph, span);
        ASSERT_GE(click.tick, 0);
        const double record = double(current().GetTime()) - from.GetTime();
        EXPECT_LE(record, click.tick + 1);
        EXPECT_GT(record, click.tick - 62);
        EXPECT_NEAR(click.marker, record, 2 * click.pixel + 1);
    }

    void CloseView()
    {
        if (m_doc)
            m_doc->OnCloseDocument();
        m_doc = nullptr;
        m_view = nullptr;
        // The frames, views and the document go on the event loop.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    QTemporaryDir m_dir;
    storetest::FakeClock m_clock;
    Data m_writer;
    QString m_name;
    int m_records = 0;
    ui::CDocManager m_manager;
    QPointer<Doc> m_doc;
    QPointer<View> m_view;
};

} // namespace archivviewtest
