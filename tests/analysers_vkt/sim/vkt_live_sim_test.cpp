// The VKT live window and waveform window against a simulated analyser on
// a pseudo-terminal: what the instrument serves reaches the window, and a
// waveform window's request brings the waveforms on the next read.
#include "SimVKT.h"

#include "analysers_vkt/VKT01Doc.h"
#include "analysers_vkt/VKTAktMer.h"
#include "analysers_vkt/VKTHodnotyDlg.h"
#include "analysers_vkt/VKTVlny.h"
#include "analysers_vkt/VKTVlnySource.h"
#include "archive/store/VKTArchivData.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace analysers_vkt;

using vkttest::SimVKT;

class VKTLiveSim : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddVKTLiveTemplate(manager);
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    QTemporaryDir dir;
    ui::CDocManager manager;
};

TEST_F(VKTLiveSim, LiveWindowShowsWhatTheInstrumentServes)
{
    SimVKT sim;
    // Phases 1 and 2 with their values only.
    sim.entry->SetValueMask(0x13);
    auto* view = qobject_cast<CVKTAktMer*>(OpenVKTLive(manager, *sim.entry));
    ASSERT_NE(view, nullptr);
    view->resize(1000, 760);
    ASSERT_TRUE(sim.Poll()) << sim.entry->GetErrorText().toStdString();
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    // The simulator serves 50.00 Hz.
    EXPECT_EQ(view->Values()->FieldText(1023), QStringLiteral("50.00"));
    EXPECT_NE(view->Values()->FieldText(1015), QStringLiteral("--"));
    // Phase 3 was not asked for: its row is not received.
    EXPECT_EQ(view->Values()->DialogRows(), (std::array<bool, 4>{true, true, false, false}));
    view->GetDocument()->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Each input's powers in the reply are those of its own voltage, current
// and phase angle, the fourth input's too: an analyser measures nothing its
// inputs cannot carry.
TEST_F(VKTLiveSim, ServedPowersAreThoseOfEachInputsVoltageCurrentAndAngle)
{
    SimVKT sim;
    CAktData values;
    ASSERT_TRUE(sim.entry->ReadVKTValues(values, 0xFFFF, 0x1F));
    for (int i = 0; i < CAktData::kInputs; ++i) {
        SCOPED_TRACE(i);
        const CAktPhase* phase = values.GetPhase(i);
        ASSERT_NE(phase, nullptr);
        const double apparent = values.GetApparentPower(i, CAktData::Average);
        const double angle = phase->angle * 0.0001;
        const double tolerance = 1e-5 * apparent + 1e-6;
        EXPECT_NEAR(values.GetActivePower(i, CAktData::Average, 0), apparent * std::cos(angle), tolerance);
        EXPECT_NEAR(values.GetReactivePower(i, CAktData::Average, 0), apparent * std::sin(angle), tolerance);
    }
}

TEST_F(VKTLiveSim, WaveformWindowAsksForItsChannelsAndShowsThem)
{
    SimVKT sim;
    sim.entry->SetValueMask(0x13);
    ASSERT_TRUE(sim.Poll());
    CAktData before;
    int fresh = 0;
    sim.Data().GetLatestData(before, fresh);
    EXPECT_EQ(before.GetWave(0), nullptr); // nobody asked for waveforms

    {
        CPristrojVKTWaveSource source(*sim.entry, nullptr);
        CVKTVlny window(source);
        EXPECT_EQ(sim.Data().GetWaveRequest(), 0xFF1Fu); // bound: every channel
        ASSERT_TRUE(sim.Poll());
        // The application's relay reaches the window.
        CVKTWaveRelay relay([&window] { window.OnNewData(); });
        platform::SendMessageTo(&relay, platform::WM_NEW_DATA, 0, 0);
        EXPECT_TRUE(window.PairList()->isEnabled());
        EXPECT_EQ(window.Pair(), 0x11);
        EXPECT_EQ(sim.Data().GetWaveRequest(), 0x1111u);
        EXPECT_NE(window.ValueText(0), QStringLiteral("---"));
        ASSERT_TRUE(sim.Poll());
        CAktData after;
        sim.Data().GetLatestData(after, fresh);
        EXPECT_NE(after.GetWave(0), nullptr);
        EXPECT_NE(after.GetWave(4), nullptr);
        EXPECT_EQ(after.GetWave(1), nullptr);
        // The user's choice of groups is left as it was.
        EXPECT_EQ(sim.entry->GetValueMask(), 0x13u);
    }
    EXPECT_EQ(sim.Data().GetWaveRequest(), 0u); // the window gone: no request
}

} // namespace
