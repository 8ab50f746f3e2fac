// The controller and VKT documents walk their own families' archives.
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/vkt_archiv_support.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using platform::CTime;

template <class Doc, class Writer, class MakeValues>
void CheckFamilyDocument(const QString& name, MakeValues makeValues)
{
    QTemporaryDir dir;
    storetest::FakeClock clock;
    clock.Set(CTime(1710061200));
    Writer writer;
    writer.SetTimeSource(clock.Source());
    ASSERT_EQ(writer.Create(3600, 5, 60, dir.filePath(name), Writer::Extension(), TRUE, TRUE,
                            QStringLiteral("Linka")),
              1);
    std::vector<CTime> times;
    for (int b = 0; b < 3; ++b) {
        for (int i = 0; i < 5; ++i) {
            clock.Advance(60);
            times.push_back(clock.Get());
            writer.AddMeasurementRecord(makeValues(int(times.size())));
        }
        clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
    }
    auto* doc = new Doc;
    ASSERT_TRUE(doc->OnOpenDocument(dir.filePath(name + Writer::Extension())));
    EXPECT_EQ(doc->Navigator().GetLoadedRecordCount(), 15) << name.toStdString();
    doc->OnCommand(archive::cmd::kGoEnd);
    EXPECT_EQ(doc->Navigator().GetCurrentRecord(), 14) << name.toStdString();
    doc->OnCommand(archive::cmd::kGoStart);
    doc->OnCommand(archive::cmd::kRecordForward);
    EXPECT_EQ(doc->Navigator().GetCurrentRecord(), 1) << name.toStdString();
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(FamilyDocTest, EachFamilyWalksTheRecordsOfItsWindow)
{
    CheckFamilyDocument<CArchivDoc, CQorinArchivData>(QStringLiteral("kompenzace"), [](int step) {
        CQorinAktData v;
        v.current = WORD(1000 + step);
        return v;
    });
    CheckFamilyDocument<CVKTArchivDoc, CVKTArchivData>(QStringLiteral("rozvodna"), [](int step) {
        return storetest::vkt::MakeValues(0, step);
    });
}

} // namespace
