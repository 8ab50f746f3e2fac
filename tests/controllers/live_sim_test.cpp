// The live window of a controller measured on a simulated line: what the
// instrument serves reaches the store through the measurement thread and
// the window shows it on the next new-data relay.
#include "link/LinkTestSupport.h"
#include "link/MereniTestSupport.h"

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/live/ControllerAktMer.h"
#include "controllers/live/ControllerDoc.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "controls/common/PanelControl.h"
#include "link/MereniController.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>

using namespace controllers;
using sim::Family;
using sim::Instrument;

namespace {

// A family thread driven from the test, without starting it.
template <class Thread>
class Driven : public Thread {
public:
    explicit Driven(std::shared_ptr<CLinkEnvironment> env) : Thread(std::move(env)) {}
    using Thread::Poll;
    int Activate(CPristroj& entry)
    {
        platform::Event done(false, false);
        const int result = Thread::Activate(&entry, &done, TRUE, FALSE);
        EXPECT_TRUE(done.IsSet());
        return result;
    }
};

class ControllerLiveSim : public mereni_test::MereniTest, public ::testing::WithParamInterface<bool> {
protected:
    ~ControllerLiveSim() override
    {
        entry.reset();
        env->SetLinkManager(nullptr);
    }

    bool Duskar() const { return GetParam(); }

    // The instrument serves `image` as its values: manual regulation, so
    // that every poll is recorded.
    void Start(sim::Bytes image)
    {
        Instrument instrument(Duskar() ? Family::Duskar : Family::Qorin, 1);
        image.resize(instrument.blocks[0x30].size());
        instrument.blocks[0x30] = image;
        line.AddInstrument(instrument);
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        const QString port = QString::fromStdString(line.SlavePath());
        ports.Add(port, 0);
        env->SetLinkManager(&manager);
        entry = MakeEntry(Duskar() ? CPristroj::kDuskar : CPristroj::kQorin, port);
        entry->m_intervalZapisovani = 1000;
    }
    sim::Bytes Served()
    {
        sim::Bytes out;
        line.WithInstrument(1, [&](Instrument& i) { out = i.blocks[0x30]; });
        return out;
    }
    template <class Thread, class Store>
    void Run();

    sim::PtySimulator line;
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    CLinkManager manager{ports, clock, OpenSystemSerialPort};
    std::unique_ptr<CPristroj> entry;
};

// The values image of a controller: the model code, a current, the power
// factor and the state byte (regulating).
sim::Bytes ValuesImage(bool duskar, int model, int cosPhi)
{
    sim::Bytes image(60, 0);
    image[4] = std::uint8_t(model >> 8);
    image[5] = std::uint8_t(model);
    image[7] = 20;
    image[9] = 0x0F;
    image[10] = 0xA0;
    image[19] = std::uint8_t(std::int8_t(cosPhi));
    image[duskar ? 56 : 32] = 0x06;
    return image;
}

template <class Thread, class Store>
void ControllerLiveSim::Run()
{
    Start(ValuesImage(Duskar(), Duskar() ? 44 : 1, 93));
    Driven<Thread> thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(thread.Poll(FALSE));

    ui::CDocManager docs;
    AddQorinLiveTemplate(docs);
    AddDuskarLiveTemplate(docs);
    auto* view = dynamic_cast<CControllerAktMer*>(OpenControllerLive(docs, *entry));
    ASSERT_NE(view, nullptr);
    view->resize(900, 700);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Initialised());

    // The newest values in the store are those the line carried.
    auto* store = dynamic_cast<Store*>(entry->GetArchivData());
    ASSERT_NE(store, nullptr);
    const auto newest = [store] {
        typename Store::Values values;
        int state = 0;
        store->GetLatestValues(values, state);
        return values;
    };
    typename Store::Values expected;
    expected.FromRaw(Served().data());
    EXPECT_EQ(newest().model, expected.model);
    EXPECT_EQ(newest().cosPhi, expected.cosPhi);
    EXPECT_EQ(newest().current, expected.current);
    const CControllerPanelImage image = store->FormatStatusTexts(view->MenuPosition());
    // The model code chose the panel; the panel shows the store's display.
    EXPECT_EQ(view->PanelType(), Duskar() ? CControllerPanelRules::DuskarType(44) : CControllerPanelRules::QorinType(1));
    if (view->PanelControl()) {
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(view->PanelControl()->Invoke(k == 3 ? 5 : k + 1).toInt(), int(image.cells[k])) << k;
    }

    // The values pane shows the power factor served.
    const auto shownCos = [&] {
        return Duskar() ? static_cast<CDuskarValuesPanel*>(view->ValuesPane())->m_cos
                        : static_cast<CQorinHodnotyDlg*>(view->ValuesPane())->m_cos;
    };
    EXPECT_EQ(shownCos(), QStringLiteral("0.93"));

    // A new value on the line reaches the window with the next relay.
    line.WithInstrument(1, [](Instrument& i) { i.blocks[0x30][19] = std::uint8_t(std::int8_t(-88)); });
    ASSERT_TRUE(thread.Poll(FALSE));
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_EQ(newest().cosPhi, -88);
    EXPECT_EQ(shownCos(), QStringLiteral("-0.88"));

    view->Document()->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_P(ControllerLiveSim, LiveWindowShowsWhatTheInstrumentServes)
{
    if (Duskar())
        Run<CDuskarMereni, CDuskarArchivData>();
    else
        Run<CQorinMereni, CQorinArchivData>();
}

INSTANTIATE_TEST_SUITE_P(Families, ControllerLiveSim, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Duskar" : "Qorin");
                         });

} // namespace
