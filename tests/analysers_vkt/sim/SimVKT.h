#pragma once

#include "link/LinkTestSupport.h"

#include "archive/store/VKTArchivData.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"

#include <memory>

namespace vkttest {

// A VKT entry on a simulated analyser, its link open.
struct SimVKT : linktest::SimLine {
    SimVKT()
    {
        sim::Instrument instrument(sim::Family::VKT, 1);
        StartLine({instrument}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("Trafostanice");
        entry->m_merit = 0;
        entry->SetType(CPristroj::kVKT, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
    }
    ~SimVKT() { entry.reset(); }

    CVKTArchivData& Data() { return dynamic_cast<CVKTArchivData&>(*entry->GetArchivData()); }
    // One poll as the measurement thread makes it: the user's groups and the
    // waveform window's channels.
    bool Poll()
    {
        CAktData values;
        if (!entry->ReadVKTValues(values, 0xFFFF, Data().GetWaveRequest()))
            return false;
        Data().AddMeasurementRecord(values);
        return true;
    }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    std::unique_ptr<CPristroj> entry;
};

} // namespace vkttest
