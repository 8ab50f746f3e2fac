#pragma once

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/VKArchivTestSupport.h"
#include "platform/ui/Document.h"
#include "platform/ui/MessageBox.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace doctest {

using platform::CTime;

// Keeps the hints its document sends.
class HintView : public ui::CView {
public:
    void OnUpdate(ui::CView*, std::intptr_t hint, void*) override { hints.push_back(hint); }
    std::vector<std::intptr_t> hints;
};

// Keeps what the document put into the toolbar last.
class FakeToolBar : public IArchivToolBar {
public:
    void FillZoomCombo(const QStringList& texts, const QString& current) override
    {
        zooms = texts;
        zoom = current;
    }
    void FillTimeCombo(const QStringList& texts, const QString& current) override
    {
        ticks = texts;
        tick = current;
    }
    void SetSlider(int position, int page, int range) override
    {
        slider = {position, page, range};
        ++fills;
    }
    QStringList zooms, ticks;
    QString zoom, tick;
    std::vector<int> slider;
    int fills = 0;
};

// A VK archive written by the family writer in a folder of its own, on a
// fake clock starting 2024-03-10 10:00 local time.
class ArchivDocTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_clock.Set(CTime(1710061200));
        m_writer.SetTimeSource(m_clock.Source());
        // 8 slots of 10 one-minute records
        ASSERT_EQ(m_writer.Create(6 * 600, 10, 60, Path("hala"), QStringLiteral(".vk"), TRUE, TRUE,
                                  QStringLiteral("Linka")),
                  1);
        CArchivDocHooks::Instance() = CArchivDocHooks();
    }
    void TearDown() override
    {
        CloseAll();
        CArchivDocHooks::Instance() = CArchivDocHooks();
    }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QString ArchivePath() const { return Path("hala.vk"); }

    // One block of `count` measurements a minute apart.
    void WriteBlock(int count = 10)
    {
        m_writer.AddConfigRecord(vktest::VKConfig(400, 100));
        WriteMeasurements(count);
    }
    // The same without a settings record of its own.
    void WriteMeasurements(int count = 10)
    {
        for (int i = 0; i < count; ++i) {
            m_clock.Advance(60);
            m_times.push_back(m_clock.Get());
            m_writer.AddMeasurementRecord(vktest::VKValues(int(m_times.size())));
        }
        m_clock.Advance(1);
        const int mode = m_writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(m_writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }

    // Opens a document with a hint view; the document closes itself in the
    // end (or has closed already).
    template <class Doc>
    Doc* OpenDoc(HintView*& view, bool expectOpen = true)
    {
        auto* doc = new Doc;
        view = new HintView;
        doc->AddView(view);
        m_docs.push_back(doc);
        m_views.push_back(view);
        EXPECT_EQ(doc->OnOpenDocument(ArchivePath()), expectOpen);
        return doc;
    }

    void CloseAll()
    {
        for (auto& doc : m_docs)
            if (doc && !doc->IsClosing())
                doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir m_dir;
    storetest::FakeClock m_clock;
    CVKArchivData m_writer;
    std::vector<CTime> m_times;
    std::vector<QPointer<ui::CDocument>> m_docs;
    std::vector<QPointer<ui::CView>> m_views;
};

} // namespace doctest
