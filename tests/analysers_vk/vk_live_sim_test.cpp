// The VK live window fed from a simulated analyser on a pseudo-terminal: the
// values the instrument serves reach the measured-values panel.
#include "link/LinkTestSupport.h"

#include "analysers_vk/VK01Doc.h"
#include "analysers_vk/VKAktMer.h"
#include "analysers_vk/VKHodnotyDlg.h"
#include "archive/store/VKArchivData.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;

sim::Bytes ValuesImage(WORD u1, WORD u2, std::int16_t i1)
{
    CVKAktData v;
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, k == 0 ? u1 : u2);
        v.SetULine(k, WORD(4000 + k));
        v.SetI(k, k == 0 ? i1 : std::int16_t(1000));
        v.SetPF(k, 95);
        v.SetCos(k, 97);
    }
    v.SetFrequencyCode(100);
    sim::Bytes image(CVKAktData::kImageSize);
    v.ToRaw(image.data());
    return image;
}

struct SimVK : linktest::SimLine {
    SimVK()
    {
        sim::Instrument instrument(sim::Family::VK, 1);
        instrument.blocks[0x3A] = ValuesImage(2301, 2296, 1250);
        StartLine({instrument}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("rozvodna");
        entry->SetType(CPristroj::kVK, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
    }
    ~SimVK() { entry.reset(); }

    // One poll as the measurement does it: the values read from the
    // instrument go into the entry's archive data, then the relay.
    bool Poll(ui::CView* view)
    {
        CVKAktData values;
        if (!entry->ReadVKValues(values))
            return false;
        auto* data = dynamic_cast<CVKArchivData*>(entry->GetArchivData());
        if (!data)
            return false;
        data->AddMeasurementRecord(values);
        platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
        return true;
    }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    std::unique_ptr<CPristroj> entry;
};

TEST(VKLiveOnSimulatedVK, TheLiveWindowShowsTheValuesServed)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    {
        SimVK sim;
        ui::CDocManager manager;
        AddVKLiveTemplate(manager);
        auto* view = qobject_cast<CVKAktMer*>(OpenVKLive(manager, *sim.entry));
        ASSERT_TRUE(view);
        view->resize(1000, 700);

        ASSERT_TRUE(sim.Poll(view));
        EXPECT_TRUE(view->Initialised());
        EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("230.1")))
            << view->Values()->FieldText(1021).toStdString();
        EXPECT_TRUE(view->Values()->FieldText(1022).startsWith(QStringLiteral("229.6")))
            << view->Values()->FieldText(1022).toStdString();

        // The instrument's values change; the next poll shows them.
        sim.line.WithInstrument(1, [](sim::Instrument& i) { i.blocks[0x3A] = ValuesImage(2405, 2296, 1250); });
        ASSERT_TRUE(sim.Poll(view));
        EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("240.5")))
            << view->Values()->FieldText(1021).toStdString();

        view->GetDocument()->OnCloseDocument();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::Settings::SetFileForTesting(QString());
}

} // namespace
