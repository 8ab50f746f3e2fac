// The VK live window's meter and clock dialogs against a simulated analyser:
// the dialog is opened from the window's menu (the program opens the link),
// and what the analyser then holds is what the dialog showed, with only the
// hours the user changed moved.
#include "shell/InstrumentClock.h"
#include "LiveRoutes.h"

#include "analysers_vk/VKAktMer.h"
#include "archive/store/VKArchivData.h"
#include "model/Iden.h"
#include "model/VKEnergy.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QDateTime>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace analysers_vk;

constexpr int kTariff = 0x32;
constexpr int kClock = 0x11;

// Tariff 1 at night, 2 by day, 3 at the evening peak.
CVKETarif SampleTariff()
{
    CVKETarif t;
    for (int h = 0; h < CVKETarif::kHours; ++h)
        t.SetCode(h, BYTE(h < 6 || h >= 22 ? 0 : (h >= 17 && h < 20 ? 2 : 1)));
    return t;
}

sim::Bytes TariffImage(CVKETarif t)
{
    sim::Bytes image(CVKETarif::kImageSize);
    t.PackHours(image.data());
    return image;
}

QPushButton* Button(QDialog& dialog, const QString& text)
{
    for (auto* b : dialog.findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

QSpinBox* Hour(QDialog& dialog, int hour)
{
    auto* spin = dialog.findChild<QSpinBox*>(QStringLiteral("hour%1").arg(hour + 1));
    EXPECT_NE(spin, nullptr) << hour;
    return spin;
}

// The program with a VK that has the energy meter, and its live window.
struct MeterRoute {
    explicit MeterRoute(const sim::Bytes& tariff) : program(Analyser(tariff), CPristroj::kVK)
    {
        view = OpenVKLive(program.app->DocManager(), *program.entry);
        EXPECT_NE(view, nullptr);
        // The measurement has met the instrument: its identification names
        // the meter variant, which offers the meter command.
        auto* data = dynamic_cast<CVKArchivData*>(program.entry->GetArchivData());
        EXPECT_NE(data, nullptr);
        if (data) {
            CIden iden;
            iden.model = 0x0004;
            data->AddIdenRecord(iden);
        }
    }
    ~MeterRoute()
    {
        if (view)
            view->GetDocument()->OnCloseDocument();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static sim::Instrument Analyser(const sim::Bytes& tariff)
    {
        sim::Instrument instrument(sim::Family::VK, 1);
        instrument.blocks[kTariff] = tariff;
        return instrument;
    }

    bool Meter(const routetest::ProgramWithInstrument::DialogHand& hand)
    {
        return view && routetest::ProgramWithInstrument::FromLiveMenu(*view, QStringLiteral("&Elektroměr ..."), hand);
    }

    routetest::ProgramWithInstrument program;
    ui::CView* view = nullptr;
};

struct TariffRow {
    const char* name;
    std::function<void(QDialog&)> edit;
    std::function<void(CVKETarif&)> sent;
};

const TariffRow kTariffRows[] = {
    {"NothingTouched", [](QDialog&) {}, [](CVKETarif&) {}},
    {"FirstHourUpByItsArrow",
     [](QDialog& d) {
         Hour(d, 0)->setFocus();
         QTest::keyClick(Hour(d, 0), Qt::Key_Up);
     },
     [](CVKETarif& t) { t.SetCode(0, 1); }},
    {"LastHourTyped",
     [](QDialog& d) {
         QSpinBox* spin = Hour(d, 23);
         spin->setFocus();
         spin->selectAll();
         QTest::keyClicks(spin, QStringLiteral("3"));
         QTest::keyClick(spin, Qt::Key_Tab);
     },
     [](CVKETarif& t) { t.SetCode(23, 2); }},
    {"EveningPeakDownToDay",
     [](QDialog& d) {
         for (int h = 17; h < 20; ++h) {
             Hour(d, h)->setFocus();
             QTest::keyClick(Hour(d, h), Qt::Key_Down);
         }
     },
     [](CVKETarif& t) {
         for (int h = 17; h < 20; ++h)
             t.SetCode(h, 1);
     }},
};

class VKMeterTariffRoute : public ::testing::TestWithParam<TariffRow> {};

TEST_P(VKMeterTariffRoute, TheScheduleSentIsTheOneShown)
{
    const TariffRow& row = GetParam();
    MeterRoute route(TariffImage(SampleTariff()));
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    EXPECT_TRUE(route.Meter([&](QDialog& dialog) {
        for (int h = 0; h < CVKETarif::kHours; ++h)
            EXPECT_EQ(Hour(dialog, h)->value(), SampleTariff().GetCode(h) + 1) << h;
        row.edit(dialog);
        Button(dialog, QStringLiteral("Vyšli tarif"))->click();
    }));
    CVKETarif wanted = SampleTariff();
    row.sent(wanted);
    routetest::ExpectSameBytes(route.program.Block(1, kTariff), TariffImage(wanted));
    EXPECT_TRUE(routetest::Said(boxes, QStringLiteral("Opravdu změnit nastavení elektroměru?")));
    routetest::ExpectNoError(boxes);
}

INSTANTIATE_TEST_SUITE_P(Hours, VKMeterTariffRoute, ::testing::ValuesIn(kTariffRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(VKMeterRoute, AnsweringNoSendsNothingAndResetClearsTheWholeMeter)
{
    const sim::Bytes tariff = TariffImage(SampleTariff());
    MeterRoute route(tariff);
    {
        ui::ScriptedMessageBoxes no(ui::MsgAnswer::No);
        EXPECT_TRUE(route.Meter([&](QDialog& dialog) {
            QTest::keyClick(Hour(dialog, 5), Qt::Key_Up);
            Button(dialog, QStringLiteral("Vyšli tarif"))->click();
            Button(dialog, QStringLiteral("Nuluj hodnoty"))->click();
        }));
        routetest::ExpectSameBytes(route.program.Block(1, kTariff), tariff);
        int reset = 0;
        route.program.line.WithInstrument(1, [&](sim::Instrument& i) { reset = i.lastEnergyReset; });
        EXPECT_EQ(reset, -1);
    }
    ui::ScriptedMessageBoxes yes(ui::MsgAnswer::Yes);
    EXPECT_TRUE(route.Meter([&](QDialog& dialog) { Button(dialog, QStringLiteral("Nuluj hodnoty"))->click(); }));
    EXPECT_TRUE(routetest::Said(yes, QStringLiteral("Opravdu vynulovat elektroměr?")));
    int reset = 0;
    route.program.line.WithInstrument(1, [&](sim::Instrument& i) { reset = i.lastEnergyReset; });
    EXPECT_EQ(reset, 1);
    routetest::ExpectSameBytes(route.program.Block(1, kTariff), tariff);
    routetest::ExpectNoError(yes);
}

TEST(VKSilentRoute, ClockAndMeterTellTheFailedReadAndOpenNoDialog)
{
    MeterRoute route(TariffImage(SampleTariff()));
    routetest::ExpectSilentClockAndMeterSayWhy(route.program, *route.view);
}

// The instrument clock as it holds it: year, month, day, hour, minute,
// second in BCD.
QDateTime ClockOf(const sim::Bytes& b)
{
    return routetest::ClockOf(b, {0, 1, 2, 3, 4, 5});
}

TEST(VKTimeRoute, SettingGivesTheInstrumentTheComputerTimeAndSynchronisingTheSecondsPastTheHour)
{
    MeterRoute route(TariffImage(SampleTariff()));
    ui::ScriptedMessageBoxes yes(ui::MsgAnswer::Yes);
    QDateTime before;
    QDateTime after;
    EXPECT_TRUE(routetest::ProgramWithInstrument::FromLiveMenu(
        *route.view, QStringLiteral("Nastavení času ..."), [&](QDialog& dialog) {
            before = routetest::StandardTimeNow(-1);
            Button(dialog, QStringLiteral("Nastavení"))->click();
            after = routetest::StandardTimeNow(1);
        }));
    const QDateTime set = ClockOf(route.program.Block(1, kClock));
    EXPECT_TRUE(set >= before && set <= after) << set.toString().toStdString();
    routetest::ExpectNoError(yes);

    int seconds = -1;
    EXPECT_TRUE(routetest::ProgramWithInstrument::FromLiveMenu(
        *route.view, QStringLiteral("Nastavení času ..."), [&](QDialog& dialog) {
            before = routetest::StandardTimeNow(0);
            Button(dialog, QStringLiteral("Synchronizace"))->click();
        }));
    route.program.line.WithInstrument(1, [&](sim::Instrument& i) { seconds = i.lastSyncSeconds; });
    const int pastHour = before.time().minute() * 60 + before.time().second();
    EXPECT_TRUE(seconds >= pastHour - 1 && seconds <= pastHour + 5) << seconds << " " << pastHour;
    routetest::ExpectNoError(yes);
}

} // namespace
