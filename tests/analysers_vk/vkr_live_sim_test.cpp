// The VKR live window of an analyser measured on a simulated line: what the
// instrument serves reaches the store through the measurement thread and
// the window shows it on the next new-data relay.
#include "link/LinkTestSupport.h"
#include "link/MereniTestSupport.h"

#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "archive/store/VKRArchivData.h"
#include "archive/store/VKRDisplayValues.h"
#include "model/VKRConfig.h"
#include "link/MereniVK.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QCoreApplication>

using namespace analysers_vk;
using sim::Family;
using sim::Instrument;

namespace {

// The VKR thread driven from the test, without starting it.
class DrivenVKR : public CVKRMereni {
public:
    explicit DrivenVKR(std::shared_ptr<CLinkEnvironment> env) : CVKRMereni(std::move(env)) {}
    using CVKRMereni::Poll;
    int Activate(CPristroj& entry)
    {
        platform::Event done(false, false);
        const int result = CVKRMereni::Activate(&entry, &done, TRUE, FALSE);
        EXPECT_TRUE(done.IsSet());
        return result;
    }
};

// 90 bytes of measured values: phase voltages `u` and a little above,
// currents, line voltages, powers, no THD, 50 Hz, status clear.
sim::Bytes ValuesImage(float u)
{
    sim::Bytes image(CVKRAktData::kImageSize, 0);
    for (int k = 0; k < 3; ++k) {
        CPrevodTyp::PutFloat(&image[std::size_t(4 * k)], u + float(k));
        CPrevodTyp::PutFloat(&image[std::size_t(12 + 4 * k)], 200.0f + float(k));
        CPrevodTyp::PutFloat(&image[std::size_t(24 + 4 * k)], u * 1.732f);
        CPrevodTyp::PutFloat(&image[std::size_t(36 + 4 * k)], u * 190.0f);
        CPrevodTyp::PutFloat(&image[std::size_t(72 + 4 * k)], u * 60.0f);
        CPrevodTyp::PutWord(&image[std::size_t(48 + 2 * k)], 3180);
        for (int at : {54, 60, 66})
            CPrevodTyp::PutWord(&image[std::size_t(at + 2 * k)], 0x8000);
    }
    CPrevodTyp::PutWord(&image[84], 2870);
    CPrevodTyp::PutWord(&image[86], 5000);
    return image;
}

class VKRLiveSim : public mereni_test::MereniTest {
protected:
    ~VKRLiveSim() override
    {
        entry.reset();
        env->SetLinkManager(nullptr);
    }

    void Start()
    {
        Instrument instrument(Family::VKR, 1);
        // Star connection through transformers, and a clean status: the
        // simulator's own pattern is no measurement to store.
        CVKRConfig config;
        config.SetVtPrimary(22000);
        config.SetCtPrimary(0x80000000u | 400);
        config.SetConnection(CVKRConfig::Star);
        BYTE raw[CVKRConfig::kImageSize];
        config.ToRaw(raw);
        instrument.blocks[0x16] = sim::Bytes(raw, raw + CVKRConfig::kImageSize);
        instrument.blocks[0x3A] = ValuesImage(12710.0f);
        line.AddInstrument(instrument);
        std::string error;
        ASSERT_TRUE(line.Start(error)) << error;
        const QString port = QString::fromStdString(line.SlavePath());
        ports.Add(port, 0);
        env->SetLinkManager(&manager);
        entry = MakeEntry(CPristroj::kVKR, port);
        entry->m_nazev = QStringLiteral("vyvod");
    }
    CVKRAktData Served()
    {
        sim::Bytes image;
        line.WithInstrument(1, [&](Instrument& i) { image = i.blocks[0x3A]; });
        CVKRAktData values;
        values.FromRaw(image.data());
        return values;
    }

    sim::PtySimulator line;
    linktest::FakePortList ports;
    linktest::FakeClock clock;
    CLinkManager manager{ports, clock, OpenSystemSerialPort};
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKRLiveSim, LiveWindowShowsWhatTheInstrumentServes)
{
    Start();
    DrivenVKR thread(env);
    ASSERT_EQ(thread.Activate(*entry), 1);
    ASSERT_TRUE(thread.Poll(FALSE));

    ui::CDocManager docs;
    AddVKRLiveTemplate(docs);
    auto* view = qobject_cast<CVKRAktMer*>(OpenVKRLive(docs, *entry));
    ASSERT_NE(view, nullptr);
    view->resize(900, 700);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Initialised());

    auto* store = dynamic_cast<CVKRArchivData*>(entry->GetArchivData());
    ASSERT_NE(store, nullptr);
    const auto newest = [store] {
        CVKRAktData values;
        int state = 0;
        store->GetLatestValues(values, state);
        return values;
    };
    EXPECT_EQ(newest().GetUPhase(0), Served().GetUPhase(0));
    EXPECT_EQ(newest().GetI(2), Served().GetI(2));
    // The window shows the store's values as the values dialog formats them.
    const CVKRValueTexts texts = archive::vkr::FillValuesDialog(*store);
    EXPECT_EQ(view->Values()->FieldText(1021), texts.u[0]);
    EXPECT_EQ(view->Values()->FieldText(1026), texts.i[2]);
    EXPECT_EQ(store->GetConnectionType(), CVKRConfig::Star);
    EXPECT_EQ(view->Values()->ConnectionType(), CVKRConfig::Star);
    EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("12.71"))) << texts.u[0].toStdString();

    // A new voltage on the line reaches the window with the next relay.
    const QString before = view->Values()->FieldText(1021);
    line.WithInstrument(1, [](Instrument& i) { i.blocks[0x3A] = ValuesImage(13050.0f); });
    ASSERT_TRUE(thread.Poll(FALSE));
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_EQ(newest().GetUPhase(0), Served().GetUPhase(0));
    EXPECT_EQ(view->Values()->FieldText(1021), archive::vkr::FillValuesDialog(*store).u[0]);
    EXPECT_NE(view->Values()->FieldText(1021), before);
    EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("13.05")));

    view->GetDocument()->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
