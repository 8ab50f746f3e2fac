// The VKT live window's meter, clock and received-quantities dialogs against
// a simulated analyser: each dialog is opened from the window's menu (the
// program opens the link), and what the analyser or the entry then holds is
// what the dialog showed, with only what the user changed moved.
#include "shell/InstrumentClock.h"
#include "analysers_vk/LiveRoutes.h"

#include "analysers_vkt/VKTAktMer.h"
#include "model/VKTEnergy.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace analysers_vkt;
using routetest::ProgramWithInstrument;

constexpr int kTariff = 0x32;
constexpr int kClock = 0x11;

const QString kOtherInterval = QStringLiteral(
    "Pozor, v přístroji je nastaven jiný interval záznamu elektroměru než v programu. Záznam elektroměru nemusí být "
    "funkční. Pro opravení intervalu záznamu vyšlete nastavení elektroměru.");

// Tariff 1 at night, 2 by day, 3 at the evening peak; recorded every
// quarter of an hour.
CVKTETarif SampleTariff()
{
    CVKTETarif t;
    for (int h = 0; h < CVKTETarif::kHours; ++h)
        t.SetCode(h, BYTE(h < 6 || h >= 22 ? 0 : (h >= 17 && h < 20 ? 2 : 1)));
    t.SetInterval(1);
    return t;
}

QSpinBox* Hour(QDialog& dialog, int hour)
{
    auto* spin = dialog.findChild<QSpinBox*>(QString::number(hour < 15 ? 1017 + hour : 1036 + hour - 15));
    EXPECT_NE(spin, nullptr) << hour;
    return spin;
}

template <class Widget>
Widget* Control(QDialog& dialog, int id)
{
    auto* widget = dialog.findChild<Widget*>(QString::number(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
}

// The program with a VKT and its live window.
struct VKTRoute {
    explicit VKTRoute(const CVKTETarif& tariff) : program(Analyser(tariff), CPristroj::kVKT)
    {
        view = OpenVKTLive(program.app->DocManager(), *program.entry);
        EXPECT_NE(view, nullptr);
    }
    ~VKTRoute()
    {
        if (view)
            view->GetDocument()->OnCloseDocument();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static sim::Instrument Analyser(const CVKTETarif& tariff)
    {
        sim::Instrument instrument(sim::Family::VKT, 1);
        instrument.blocks[kTariff] = routetest::ImageOf(tariff);
        return instrument;
    }

    bool Open(const char* item, const ProgramWithInstrument::DialogHand& hand)
    {
        return view && ProgramWithInstrument::FromLiveMenu(*view, QString::fromUtf8(item), hand);
    }

    int Instrument(const std::function<int(sim::Instrument&)>& get)
    {
        int value = 0;
        program.line.WithInstrument(1, [&](sim::Instrument& i) { value = get(i); });
        return value;
    }

    ProgramWithInstrument program;
    ui::CView* view = nullptr;
};

struct MeterRow {
    const char* name;
    std::function<void(CVKTETarif&)> load; // the analyser's record, from the sample
    int code;                              // the program's meter-archive interval code
    std::function<void(QDialog&)> edit;
    std::function<void(CVKTETarif&)> sent;
    int codeAfter;
    bool warned = false; // the other-interval warning on opening
};

void Same(CVKTETarif&) {}
void Untouched(QDialog&) {}

const MeterRow kMeterRows[] = {
    {"NothingTouched", Same, 0, Untouched, Same, 0},
    {"HourUpByItsArrow", Same, 0,
     [](QDialog& d) {
         Hour(d, 2)->setFocus();
         QTest::keyClick(Hour(d, 2), Qt::Key_Up);
     },
     [](CVKTETarif& t) { t.SetCode(2, 1); }, 0},
    {"LastHourTyped", Same, 0,
     [](QDialog& d) {
         QSpinBox* spin = Hour(d, 23);
         spin->setFocus();
         spin->selectAll();
         QTest::keyClicks(spin, QStringLiteral("2"));
         QTest::keyClick(spin, Qt::Key_Tab);
     },
     [](CVKTETarif& t) { t.SetCode(23, 1); }, 0},
    {"IntervalChosen", Same, 0, [](QDialog& d) { ProgramWithInstrument::Choose(Control<QComboBox>(d, 1376), 3); },
     [](CVKTETarif& t) { t.SetInterval(96); }, 3},
    {"NotArchivedAnyMore", Same, 0, [](QDialog& d) { Control<QCheckBox>(d, 1016)->click(); }, Same, ~0},
    {"NotArchivedKeepsItsComplement", [](CVKTETarif& t) { t.SetInterval(32); }, ~2,
     [](QDialog& d) {
         EXPECT_FALSE(Control<QCheckBox>(d, 1016)->isChecked());
         EXPECT_EQ(Control<QComboBox>(d, 1376)->currentText(), QStringLiteral("8 hod"));
     },
     Same, ~2},
    // The instrument records hourly while the program expects quarter
    // hours: the user is warned, and sending gives the instrument the
    // program's interval.
    {"OtherIntervalInTheInstrument", [](CVKTETarif& t) { t.SetInterval(4); }, 0, Untouched,
     [](CVKTETarif& t) { t.SetInterval(1); }, 0, true},
};

class VKTMeterRoute : public ::testing::TestWithParam<MeterRow> {};

TEST_P(VKTMeterRoute, TheScheduleAndIntervalSentAreTheOnesShown)
{
    const MeterRow& row = GetParam();
    CVKTETarif loaded = SampleTariff();
    row.load(loaded);
    VKTRoute route(loaded);
    route.program.entry->SetBexorInterval(row.code, FALSE);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    EXPECT_TRUE(route.Open("&Elektroměr ...", [&](QDialog& dialog) {
        for (int h = 0; h < CVKTETarif::kHours; ++h)
            EXPECT_EQ(Hour(dialog, h)->value(), loaded.GetCode(h) + 1) << h;
        row.edit(dialog);
        Control<QPushButton>(dialog, 1326)->click();
    }));
    CVKTETarif wanted = loaded;
    row.sent(wanted);
    routetest::ExpectSameBytes(route.program.Block(1, kTariff), routetest::ImageOf(wanted));
    EXPECT_EQ(route.program.entry->GetBexorInterval(), row.codeAfter);
    EXPECT_TRUE(routetest::Said(boxes, QStringLiteral("Opravdu změnit nastavení elektroměru?")));
    EXPECT_EQ(routetest::Said(boxes, kOtherInterval), row.warned);
    for (const auto& request : boxes.Requests()) {
        if (request.text != kOtherInterval) {
            EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, VKTMeterRoute, ::testing::ValuesIn(kMeterRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VKTMeterRouteReset, EachButtonSendsItsCodeAndNoSendsNothing)
{
    VKTRoute route(SampleTariff());
    const sim::Bytes tariff = route.program.Block(1, kTariff);
    const struct {
        int button;
        ui::MsgAnswer answer;
        int code; // the data byte of the reset the instrument got
    } presses[] = {{1352, ui::MsgAnswer::No, -1}, {1352, ui::MsgAnswer::Yes, 1}, {1365, ui::MsgAnswer::Yes, 2}};
    for (const auto& press : presses) {
        ui::ScriptedMessageBoxes boxes(press.answer);
        EXPECT_TRUE(route.Open("&Elektroměr ...",
                               [&](QDialog& dialog) { Control<QPushButton>(dialog, press.button)->click(); }));
        EXPECT_EQ(route.Instrument([](sim::Instrument& i) { return i.lastEnergyReset; }), press.code) << press.button;
        EXPECT_TRUE(routetest::Said(boxes, QStringLiteral("Opravdu vynulovat elektroměr?")));
        routetest::ExpectNoError(boxes);
    }
    routetest::ExpectSameBytes(route.program.Block(1, kTariff), tariff);
}

// The instrument clock as it holds it: second, minute, hour, weekday, day,
// month, year in BCD.
QDateTime ClockOf(const sim::Bytes& b)
{
    return routetest::ClockOf(b, {6, 5, 4, 2, 1, 0});
}

TEST(VKTTimeRoute, SettingGivesTheInstrumentTheComputerTime)
{
    VKTRoute route(SampleTariff());
    ui::ScriptedMessageBoxes yes(ui::MsgAnswer::Yes);
    QDateTime before;
    QDateTime after;
    EXPECT_TRUE(route.Open("Nastavení času ...", [&](QDialog& dialog) {
        before = routetest::StandardTimeNow(-1);
        for (auto* b : dialog.findChildren<QPushButton*>())
            if (b->text() == QStringLiteral("Nastavení"))
                b->click();
        after = routetest::StandardTimeNow(1);
    }));
    const sim::Bytes clock = route.program.Block(1, kClock);
    const QDateTime set = ClockOf(clock);
    EXPECT_TRUE(set >= before && set <= after) << set.toString().toStdString();
    ASSERT_EQ(clock.size(), 7u);
    EXPECT_EQ(int(clock[3]), set.date().dayOfWeek() % 7 + 1) << "weekday";
    routetest::ExpectNoError(yes);
}

TEST(VKTSilentRoute, ClockAndMeterTellTheFailedReadAndOpenNoDialog)
{
    VKTRoute route(SampleTariff());
    routetest::ExpectSilentClockAndMeterSayWhy(route.program, *route.view);
}

struct ChoiceRow {
    const char* name;
    const char* box; // the check box the user clicks, none: OK untouched
    DWORD stored;
};

const ChoiceRow kChoiceRows[] = {
    {"NothingTouched", nullptr, 0x1234},
    {"PhaseAdded", "L2", 0x1236},
    {"PhaseRemoved", "L3", 0x1230},
    {"EvenHarmonicsAdded", "Včetně sudých", 0x12B4},
};

class VKTReceivedRoute : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(VKTReceivedRoute, OnlyTheClickedBitMovesAndTheHighByteStays)
{
    const ChoiceRow& row = GetParam();
    VKTRoute route(SampleTariff());
    route.program.entry->SetValueMask(0x1234);
    EXPECT_TRUE(route.Open("Přijímané veličiny ...", [&](QDialog& dialog) {
        if (row.box) {
            bool clicked = false;
            for (auto* box : dialog.findChildren<QCheckBox*>())
                if (box->text() == QString::fromUtf8(row.box)) {
                    box->click();
                    clicked = true;
                }
            EXPECT_TRUE(clicked) << row.box;
        }
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }));
    EXPECT_EQ(route.program.entry->GetValueMask(), row.stored);

    // Cancel leaves the word as it is, whatever was clicked.
    EXPECT_TRUE(route.Open("Přijímané veličiny ...", [&](QDialog& dialog) {
        for (auto* box : dialog.findChildren<QCheckBox*>())
            box->click();
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
    }));
    EXPECT_EQ(route.program.entry->GetValueMask(), row.stored);
}

INSTANTIATE_TEST_SUITE_P(Boxes, VKTReceivedRoute, ::testing::ValuesIn(kChoiceRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
