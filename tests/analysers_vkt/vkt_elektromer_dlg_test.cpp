#include "analysers_vkt/VKTElektromerDlg.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>

using namespace analysers_vkt;

namespace {

class FakeMeter : public IVKTMeterIo {
public:
    QString Name() const override { return QStringLiteral("Trafostanice"); }
    bool ReadTariff(CVKTETarif& t) override { return Next() ? (t = tariff, true) : false; }
    bool WriteTariff(const CVKTETarif& t) override
    {
        ++writes;
        return Next() ? (tariff = t, true) : false;
    }
    bool ReadEnergy(CVKTEDataRec& d) override { return Next() ? (d = data, true) : false; }
    bool ResetMeter(BYTE code) override
    {
        resets.push_back(code);
        return Next();
    }
    int IntervalCode() const override { return code; }
    void SetIntervalCode(int c) override { code = c; }
    double RatioProduct() const override { return ratio; }
    void Sleep(int ms) override { slept += ms; }
    void OpenMeterArchive() override { ++archiveOpens; }

    bool Next()
    {
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }

    CVKTETarif tariff;
    CVKTEDataRec data;
    int code = 0;
    double ratio = 1.0;
    int slept = 0, writes = 0, archiveOpens = 0;
    std::vector<int> resets;
    std::deque<bool> answers;
};

} // namespace

TEST(VKTElektromer, IntervalsAndTexts)
{
    EXPECT_EQ(kMeterIntervals, (std::array<WORD, 5>{1, 4, 32, 96, 672}));
    struct Case {
        int code;
        int index;
        bool archived;
    };
    for (const Case& c : {Case{0, 0, true}, Case{3, 3, true}, Case{~2, 2, false}, Case{~4, 4, false}}) {
        int index = -1;
        bool archived = false;
        IntervalChoice(c.code, index, archived);
        EXPECT_EQ(index, c.index) << c.code;
        EXPECT_EQ(archived, c.archived) << c.code;
    }
    EXPECT_EQ(MaximumPowerText(12345.0f, 20.0 * 100.0), QStringLiteral("24690.0000"));
    EXPECT_EQ(PowerFactorText(0.0, 0.0, 0.001), QStringLiteral("--"));
    EXPECT_EQ(PowerFactorText(3.0, 4.0, 0.001), QStringLiteral("0.600"));
}

TEST(VKTElektromer, ShowsScaledValuesAndSendsTariffsWithTheInterval)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    FakeMeter io;
    io.ratio = 40.0;
    io.code = ~1; // hourly, not archived with the data
    io.tariff.SetCode(5, 2);
    io.data.GetData().SetRegister(0, 0, 3.0);
    io.data.GetData().SetRegister(0, 2, 4.0);
    CVKTElektromerDlg dlg(io);
    ASSERT_TRUE(dlg.ReadMeter());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Stav elektroměru (Trafostanice)"));
    EXPECT_EQ(dlg.ValueText(1299), QStringLiteral("120.0000"));
    EXPECT_EQ(dlg.ValueText(1032), QStringLiteral("0.600"));
    EXPECT_EQ(dlg.ValueText(1033), QStringLiteral("--")); // tariff 2 all zero
    EXPECT_EQ(dlg.TariffEdit(5)->value(), 3);
    EXPECT_FALSE(dlg.ArchiveBox()->isChecked());
    EXPECT_EQ(dlg.IntervalList()->currentIndex(), 1);

    dlg.TariffEdit(0)->setValue(2);
    dlg.IntervalList()->setCurrentIndex(4);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1326")), Qt::LeftButton);
    EXPECT_EQ(io.tariff.GetCode(0), 1);
    EXPECT_EQ(io.tariff.GetInterval(), 672);
    EXPECT_EQ(io.code, ~4); // still not archived: the complement
    EXPECT_GE(io.slept, 2000);
}

TEST(VKTElektromer, FailedWriteAndResetSayTheInstrumentDoesNotAnswer)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    FakeMeter io;
    CVKTElektromerDlg dlg(io);
    ASSERT_TRUE(dlg.ReadMeter());
    io.answers = {false, false, false};
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1326")), Qt::LeftButton);
    EXPECT_EQ(io.writes, 3);
    EXPECT_EQ(io.code, 0); // the interval is not touched
    io.answers = {false, false, false};
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1365")), Qt::LeftButton);
    EXPECT_EQ(io.resets, (std::vector<int>{2, 2, 2}));
    int noAnswer = 0;
    for (const auto& r : boxes.Requests())
        noAnswer += r.text == QStringLiteral("Přístroj neodpovídá !") ? 1 : 0;
    EXPECT_EQ(noAnswer, 2);
}

// A meter that does not answer at the start says so in its own words and
// shows no dialog; a meter recording at another interval than the program's
// meter archive expects is warned about.
TEST(VKTElektromer, FirstReadFailureAndIntervalMismatchAreSaid)
{
    {
        ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
        FakeMeter io;
        io.answers = {false, false, false, false, false, false};
        RunVKTElektromer(nullptr, io);
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text,
                  QStringLiteral("Stav elektroměru nelze zobrazit ,protože přístroj neodpovídá !"));
        EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    }
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    FakeMeter io;
    io.code = 1;                // archived hourly: 4 quarter-hours
    io.tariff.SetInterval(32);  // the instrument records every 8 hours
    CVKTElektromerDlg dlg(io);
    ASSERT_TRUE(dlg.ReadMeter());
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(
        QStringLiteral("Pozor, v přístroji je nastaven jiný interval záznamu elektroměru než v programu.")));
    io.tariff.SetInterval(4);
    ASSERT_TRUE(dlg.ReadMeter());
    EXPECT_EQ(boxes.Requests().size(), 1u);
    // "Obnov hodnoty" shows the new values but keeps the user's unsent interval choice and
    // does not warn again: the warning and the choice belong to the opening.
    io.tariff.SetInterval(96);
    io.data.GetData().SetRegister(0, 0, 42.0);
    dlg.IntervalList()->setCurrentIndex(3);
    dlg.ArchiveBox()->setChecked(false);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("1325")), Qt::LeftButton);
    EXPECT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(dlg.ValueText(1299), QStringLiteral("42.0000"));
    EXPECT_EQ(dlg.IntervalList()->currentIndex(), 3);
    EXPECT_FALSE(dlg.ArchiveBox()->isChecked());
}

TEST(VKTElektromer, ArchiveButtonOpensTheMeterRecords)
{
    FakeMeter meter;
    CVKTElektromerDlg dialog(meter);
    auto* button = dialog.findChild<QPushButton*>(QStringLiteral("1351"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Archivní hodnoty"));
    button->click();
    EXPECT_EQ(meter.archiveOpens, 1);

    // An entry whose archive has no file yet opens nothing.
    CPristroj entry(QStringLiteral("COM1"), 1, QString(), FALSE, CPristroj::kVKT);
    CPristrojVKTMeterIo io(entry);
    io.OpenMeterArchive();
}


// Each column heading ends where its column's right-aligned numbers end, so a reader
// finds L1 ... 3F and the energy kinds over their own values.
TEST(VKTElektromer, HeadingsStandOverTheirValues)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Ok);
    FakeMeter io;
    io.tariff.SetInterval(kMeterIntervals[0]);
    CVKTElektromerDlg dlg(io);
    ASSERT_TRUE(dlg.ReadMeter());
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto rightEdge = [&](const QWidget* w) { return w->mapTo(&dlg, QPoint(w->width(), 0)).x(); };
    auto textEnd = [&](const QLabel* l) {
        const int textWidth = l->fontMetrics().horizontalAdvance(l->text());
        const QRect inside = l->contentsRect();
        const bool right = l->alignment() & Qt::AlignRight;
        return l->mapTo(&dlg, QPoint(right ? inside.right() + 1 : inside.left() + textWidth, 0)).x();
    };
    auto heading = [&](const QString& group, const QString& text) -> QLabel* {
        for (auto* box : dlg.findChildren<QGroupBox*>())
            if (box->title() == group)
                for (auto* l : box->findChildren<QLabel*>())
                    if (l->text() == text && l->objectName().isEmpty())
                        return l;
        return nullptr;
    };
    auto value = [&](int id) { return dlg.findChild<QLabel*>(QString::number(id)); };
    struct Column {
        QString group, head;
        int valueId;
    };
    const QString energy = QStringLiteral("Elektroměr"), maxima = QStringLiteral("1/4 hodinový maximální výkon");
    for (const Column& c : {Column{energy, QStringLiteral("Činná import [kWh]"), 1299},
                            Column{energy, QStringLiteral("Jalová kapacitní [kvarh]"), 1311},
                            Column{energy, QStringLiteral("PF"), 1032}, Column{maxima, QStringLiteral("L1"), 1317},
                            Column{maxima, QStringLiteral("L3"), 1319}, Column{maxima, QStringLiteral("3F"), 1320}}) {
        QLabel* head = heading(c.group, c.head);
        QLabel* val = value(c.valueId);
        ASSERT_NE(head, nullptr) << c.head.toStdString();
        ASSERT_NE(val, nullptr) << c.valueId;
        EXPECT_EQ(textEnd(head), textEnd(val)) << c.head.toStdString();
        EXPECT_LE(std::abs(rightEdge(head) - rightEdge(val)), 1) << c.head.toStdString();
    }
}
