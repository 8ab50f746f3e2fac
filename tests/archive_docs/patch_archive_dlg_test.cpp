#include "archive_docs/ZaplatovatArchivDlg.h"

#include "archive_docs/FamilyArchivDocs.h"

#include "DocTestSupport.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QThread>
#include <QDateTimeEdit>

namespace {

using doctest::CTime;

class FakeInstrument : public IPatchInstrument {
public:
    FakeInstrument(const char* name, int type) : m_name(QString::fromUtf8(name)), m_type(type) {}
    QString Name() const override { return m_name; }
    int Type() const override { return m_type; }
    bool IsMeasured() const override { return measured; }
    bool OpenLink() override
    {
        ++opens;
        NoteThread();
        return linkOk;
    }
    void CloseLink() override { ++closes; }
    bool ReadRecordRange(int, CTime& f, CTime& l) override
    {
        ++reads;
        NoteThread();
        if (failures > 0) {
            --failures;
            return false;
        }
        f = first;
        l = last;
        return true;
    }

    QString m_name;
    int m_type;
    bool measured = false;
    bool linkOk = true;
    int failures = 0;
    CTime first{1709280000}; // 1.3.2024 9:00
    CTime last{1710151200};  // 11.3.2024 11:00
    int opens = 0, closes = 0, reads = 0;
    // Exchanges with the instrument made on the user-interface thread.
    int onGuiThread = 0;

private:
    void NoteThread()
    {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ++onGuiThread;
    }
};

struct Started {
    IPatchInstrument* instrument;
    CTime from, to;
    int fromChoice, toChoice;
    QString path;
};

// A VK archive of one block written at 10.3.2024 10:00 and instruments of
// both families, the VK ones named "Hala" and "Linka 2".
class PatchArchiveDlgTest : public doctest::ArchivDocTest {
protected:
    void SetUp() override
    {
        ArchivDocTest::SetUp();
        WriteBlock();
        m_host.instruments = [this] {
            return std::vector<IPatchInstrument*>{&m_vkt, &m_hala, &m_vkt, &m_linka};
        };
        m_host.startIntervalDownload = [this](IPatchInstrument& i, CTime from, CTime to, int fc, int tc,
                                              const QString& path) {
            m_started.push_back({&i, from, to, fc, tc, path});
            return true;
        };
        m_dlg.SetHost(m_host);
    }

    FakeInstrument m_vkt{"Linka VKT", 4};
    FakeInstrument m_hala{"Hala", 2};
    FakeInstrument m_linka{"Linka 2", 2};
    CPatchArchivHost m_host;
    CZaplatovatArchivDlg m_dlg;
    std::vector<Started> m_started;
};

const QString kNotFound = QStringLiteral(
    "Název přístroje získaný z archivního souboru, nebyl nalezen\nv seznamu zavedených přístrojů. Musí být vybrán "
    "ručně ! ");

TEST_F(PatchArchiveDlgTest, ShowsBothRangesAndPicksTheArchivesInstrument)
{
    ui::ScriptedMessageBoxes boxes;
    ASSERT_EQ(m_dlg.SetVKArchive(&m_writer), 1);
    m_dlg.InitDialog();
    EXPECT_TRUE(boxes.Requests().empty());
    // "Linka" is found case-insensitively as a prefix, VKT entries skipped
    EXPECT_EQ(m_dlg.InstrumentCombo()->count(), 2);
    EXPECT_EQ(m_dlg.InstrumentCombo()->currentText(), QStringLiteral("Linka 2"));
    EXPECT_EQ(m_linka.reads, 1);
    EXPECT_EQ(m_linka.opens, 1);
    EXPECT_EQ(m_linka.closes, 1);
    EXPECT_EQ(m_dlg.InstrumentRangeText(), QStringLiteral("01.03.24 09:00:00 - 11.03.24 11:00:00"));
    EXPECT_TRUE(m_dlg.ArchiveRangeText().startsWith(QStringLiteral("10.03.24 10:")));
    EXPECT_EQ(m_dlg.ArchivePathText(), m_writer.GetFilePath());
    EXPECT_EQ(m_dlg.StoredNameText(), QStringLiteral("Linka"));
    EXPECT_EQ(m_linka.onGuiThread, 0);
    // the ranges show whole, and a path in a user's data folder
    for (QLineEdit* field : m_dlg.findChildren<QLineEdit*>()) {
        if (!field->isReadOnly())
            continue;
        const QString text = field->text() == m_dlg.ArchivePathText()
                                 ? QStringLiteral("C:\\Users\\technik\\Documents\\data\\Rozvodna R1.vk")
                                 : field->text();
        EXPECT_GE(field->minimumWidth(), field->fontMetrics().horizontalAdvance(text) + 8) << text.toStdString();
    }
    for (bool from : {true, false}) {
        EXPECT_FALSE(m_dlg.DatePicker(from)->isEnabled());
        EXPECT_EQ(m_dlg.DatePicker(from)->dateTime(), m_dlg.TimePicker(from)->dateTime());
    }
}

TEST_F(PatchArchiveDlgTest, FamilyWithoutInstrumentsIsRefused)
{
    EXPECT_EQ(m_dlg.SetVKTArchive(&m_writer), 1);
    m_host.instruments = [this] { return std::vector<IPatchInstrument*>{&m_hala}; };
    m_dlg.SetHost(m_host);
    EXPECT_EQ(m_dlg.SetVKTArchive(&m_writer), 0);
    EXPECT_EQ(m_dlg.SetVKArchive(nullptr), 0);
}

TEST_F(PatchArchiveDlgTest, InstrumentFaultsLeaveTheRangeUnknown)
{
    struct Case {
        const char* what;
        bool measured, linkOk;
        int failures;
        bool message;
        int opens, reads, closes;
        const char* range;
    } cases[] = {
        {"answers at third try", false, true, 2, false, 1, 3, 1, "01.03.24 09:00:00 - 11.03.24 11:00:00"},
        {"never answers", false, true, 3, true, 1, 3, 1, "Nelze určit."},
        {"link fails", false, false, 0, false, 1, 0, 0, "Nelze určit."},
        {"measured uses its open link", true, true, 0, false, 0, 1, 0, "01.03.24 09:00:00 - 11.03.24 11:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeInstrument only("Linka", 2);
        only.measured = c.measured;
        only.linkOk = c.linkOk;
        only.failures = c.failures;
        CPatchArchivHost host;
        host.instruments = [&only] { return std::vector<IPatchInstrument*>{&only}; };
        CZaplatovatArchivDlg dlg;
        dlg.SetHost(host);
        ASSERT_EQ(dlg.SetVKArchive(&m_writer), 1);
        ui::ScriptedMessageBoxes boxes;
        dlg.InitDialog();
        ASSERT_EQ(boxes.Requests().size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Zvolený přístroj neodpovídá !"));
            EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
            EXPECT_EQ(boxes.Requests()[0].icon, ui::MsgIcon::Warning);
        }
        EXPECT_EQ(only.opens, c.opens);
        EXPECT_EQ(only.reads, c.reads);
        EXPECT_EQ(only.closes, c.closes);
        EXPECT_EQ(dlg.InstrumentRangeText(), QString::fromUtf8(c.range));
    }
}

TEST_F(PatchArchiveDlgTest, UnknownStoredNameAsksForAChoice)
{
    m_host.instruments = [this] { return std::vector<IPatchInstrument*>{&m_hala, &m_vkt}; };
    m_dlg.SetHost(m_host);
    ASSERT_EQ(m_dlg.SetVKArchive(&m_writer), 1);
    ui::ScriptedMessageBoxes boxes;
    m_dlg.InitDialog();
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, kNotFound);
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(m_dlg.InstrumentCombo()->currentText(), QStringLiteral("Hala"));
}

TEST_F(PatchArchiveDlgTest, ChoicesSetTheTimesAndEnableOnlyTheirPickers)
{
    ASSERT_EQ(m_dlg.SetVKArchive(&m_writer), 1);
    m_dlg.InitDialog();
    const CTime archiveStart = m_dlg.FromTime();

    m_dlg.FromChoiceCombo()->setCurrentIndex(2);
    m_dlg.OnFromChoice(2);
    EXPECT_TRUE(m_dlg.DatePicker(true)->isEnabled());
    EXPECT_TRUE(m_dlg.TimePicker(true)->isEnabled());
    EXPECT_FALSE(m_dlg.DatePicker(false)->isEnabled());

    // a typed time keeps the date picker's day
    m_dlg.DatePicker(true)->setDate(QDate(2024, 3, 5));
    m_dlg.TimePicker(true)->setDateTime(QDateTime(QDate(2024, 1, 1), QTime(7, 8, 9)));
    m_dlg.OnTimeEdited(true);
    EXPECT_EQ(m_dlg.FromTime().GetTime(), CTime(2024, 3, 5, 7, 8, 9).GetTime());
    EXPECT_EQ(m_dlg.TimePicker(true)->dateTime(), m_dlg.DatePicker(true)->dateTime());
    // a picked date takes its whole value, the old time included
    m_dlg.DatePicker(true)->setDateTime(QDateTime(QDate(2024, 3, 6), QTime(1, 2, 3)));
    m_dlg.TimePicker(true)->setTime(QTime(22, 0, 0));
    m_dlg.OnDateEdited(true);
    EXPECT_EQ(m_dlg.FromTime().GetTime(), CTime(2024, 3, 6, 1, 2, 3).GetTime());
    EXPECT_EQ(m_dlg.TimePicker(true)->time(), QTime(1, 2, 3));

    m_dlg.OnFromChoice(1);
    EXPECT_FALSE(m_dlg.DatePicker(true)->isEnabled());
    EXPECT_EQ(m_dlg.FromTime().GetTime(), m_linka.first.GetTime());
    m_dlg.OnFromChoice(0);
    EXPECT_EQ(m_dlg.FromTime().GetTime(), archiveStart.GetTime());

    // another instrument moves a From/To of choice 1 along
    m_dlg.OnToChoice(1);
    EXPECT_EQ(m_dlg.ToTime().GetTime(), m_linka.last.GetTime());
    m_hala.last = CTime(1710237600);
    m_dlg.InstrumentCombo()->setCurrentIndex(0);
    m_dlg.OnInstrumentChanged();
    EXPECT_EQ(m_dlg.ToTime().GetTime(), m_hala.last.GetTime());
    EXPECT_EQ(m_dlg.FromTime().GetTime(), archiveStart.GetTime());
}

// An archive whose range the test moves.
class GrowingArchive : public CArchivData {
public:
    bool GetRecordTimeRange(CTime& f, CTime& l) override
    {
        f = first;
        l = last;
        return true;
    }
    CTime first{1710061200};
    CTime last{1710064800};
};

TEST_F(PatchArchiveDlgTest, OkPatchesTheArchivesRangeAsItIsThen)
{
    GrowingArchive archive;
    ASSERT_EQ(m_dlg.SetVKArchive(&archive), 1);
    ui::ScriptedMessageBoxes boxes; // no stored name: the first entry, no box
    m_dlg.InitDialog();
    EXPECT_EQ(m_dlg.ArchiveRangeText(), QStringLiteral("10.03.24 10:00:00 - 10.03.24 11:00:00"));
    m_dlg.InstrumentCombo()->setCurrentIndex(1);
    archive.last = CTime(1710068400); // the archive grows while the dialog is open
    const CTime first = archive.first;
    const CTime last = archive.last;

    m_dlg.accept();
    EXPECT_EQ(m_dlg.result(), QDialog::Accepted);
    m_dlg.StartPatchDownload();
    ASSERT_EQ(m_started.size(), 1u);
    EXPECT_EQ(m_started[0].instrument, &m_linka); // the 2nd VK instrument, not the 2nd of the list
    EXPECT_EQ(m_started[0].from.GetTime(), first.GetTime());
    EXPECT_EQ(m_started[0].to.GetTime(), last.GetTime());
    EXPECT_EQ(m_started[0].fromChoice, 0);
    EXPECT_EQ(m_started[0].toChoice, 0);
    EXPECT_EQ(m_started[0].path, archive.GetFilePath());

    // typed times go as typed; no download template starts nothing
    m_dlg.FromChoiceCombo()->setCurrentIndex(2);
    m_dlg.OnFromChoice(2);
    m_dlg.DatePicker(true)->setDateTime(QDateTime(QDate(2024, 3, 9), QTime(12, 0, 0)));
    m_dlg.OnDateEdited(true);
    m_dlg.accept();
    m_dlg.StartPatchDownload();
    ASSERT_EQ(m_started.size(), 2u);
    EXPECT_EQ(m_started[1].from.GetTime(), CTime(2024, 3, 9, 12, 0, 0).GetTime());
    EXPECT_EQ(m_started[1].fromChoice, 0); // a typed time bounds the download
    EXPECT_EQ(m_started[1].toChoice, 0);
    // only the instrument's own data leaves an end open
    m_dlg.FromChoiceCombo()->setCurrentIndex(1);
    m_dlg.OnFromChoice(1);
    m_dlg.ToChoiceCombo()->setCurrentIndex(2);
    m_dlg.OnToChoice(2);
    m_dlg.accept();
    m_dlg.StartPatchDownload();
    ASSERT_EQ(m_started.size(), 3u);
    EXPECT_EQ(m_started[2].fromChoice, 1);
    EXPECT_EQ(m_started[2].toChoice, 0);
    m_host.startIntervalDownload = nullptr;
    m_dlg.SetHost(m_host);
    m_dlg.StartPatchDownload();
    EXPECT_EQ(m_started.size(), 3u);
}

} // namespace

// The patch command of a VK archive document: the dialog over the document's
// archive, and on OK the interval download of the archive's instrument into
// the archive; cancelled, nothing starts; without instruments of the family,
// the box that says so.
TEST_F(PatchArchiveDlgTest, PatchCommandOfTheArchiveDocumentStartsTheIntervalDownload)
{
    // A second block, begun after an outage: neither block starts at its
    // first record, and the newest record lies well after the newest start.
    m_clock.Advance(600);
    m_writer.AddRecord(QStringLiteral("Data nejsou k dispozici."), kRecordError);
    WriteMeasurements(5);
    m_writer.Close();
    auto& hooks = CArchivDocHooks::Instance();
    hooks.patchHost = [this] { return m_host; };
    int answer = QDialog::Rejected;
    QString shownRange;
    CTime shownFrom, shownTo;
    hooks.runDialog = [&](QDialog& dialog) {
        auto& patch = dynamic_cast<CZaplatovatArchivDlg&>(dialog);
        shownRange = patch.ArchiveRangeText();
        shownFrom = patch.FromTime();
        shownTo = patch.ToTime();
        if (answer == QDialog::Accepted)
            dialog.accept();
        return answer;
    };
    auto* doc = new CVKArchivDoc;
    ASSERT_TRUE(doc->OnOpenDocument(ArchivePath()));
    ui::ScriptedMessageBoxes boxes;
    EXPECT_TRUE(doc->OnCommand(archive::cmd::kPatch));
    EXPECT_TRUE(m_started.empty());
    // The archive's range runs from its first record to its last.
    const CTime first = m_times.front();
    const CTime last = m_times.back();
    EXPECT_EQ(shownRange, first.Format(QStringLiteral("%d.%m.%y %H:%M:%S")) + QStringLiteral(" - ") +
                              last.Format(QStringLiteral("%d.%m.%y %H:%M:%S")));
    EXPECT_EQ(shownFrom, first);
    EXPECT_EQ(shownTo, last);

    answer = QDialog::Accepted;
    doc->OnCommand(archive::cmd::kPatch);
    ASSERT_EQ(m_started.size(), 1u);
    EXPECT_EQ(m_started[0].instrument, &m_linka);
    EXPECT_EQ(m_started[0].path, ArchivePath());
    EXPECT_EQ(m_started[0].from, first);
    EXPECT_EQ(m_started[0].to, last);
    EXPECT_TRUE(boxes.Requests().empty());

    hooks.patchHost = [] { return CPatchArchivHost{}; };
    doc->OnCommand(archive::cmd::kPatch);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Do programu není zadán žádný přístroj"));
    EXPECT_EQ(m_started.size(), 1u);
    doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
