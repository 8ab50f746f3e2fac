#pragma once

#include "analysers_vk/VKEntryIo.h"
#include "model/VKEnergy.h"

#include <deque>
#include <vector>

namespace vktest {

// An instrument entry whose answers the test scripts: each call takes the
// next answer of its queue (true when the queue is empty), and the pauses
// are recorded instead of slept.
class FakeVKEntry : public analysers_vk::IVKEntryIo {
public:
    QString Name() const override { return QStringLiteral("Rozvodna"); }
    int Type() const override { return type; }
    bool ReadTariff(CVKETarif& t) override
    {
        ++reads;
        t = tariff;
        return Next(tariffAnswers);
    }
    bool WriteTariff(CVKETarif& t) override
    {
        written.push_back(t);
        return Next(writeAnswers);
    }
    bool ReadEnergyData(CVKEData& d) override
    {
        d = data;
        return Next(dataAnswers);
    }
    bool ResetEnergyMeter() override
    {
        ++resets;
        return Next(resetAnswers);
    }
    bool ReadClock(platform::CTime& t) override
    {
        t = instrumentTime;
        return Next(clockAnswers);
    }
    bool SetClock() override
    {
        ++clockSets;
        return Next(setAnswers);
    }
    bool SyncClock() override
    {
        ++syncs;
        return Next(syncAnswers);
    }
    double RatioProduct() const override { return ratio; }
    void Sleep(int ms) override { sleeps.push_back(ms); }
    platform::CTime Now() const override { return now; }

    int type = 2;
    double ratio = 1.0;
    CVKETarif tariff;
    CVKEData data;
    platform::CTime instrumentTime;
    platform::CTime now;
    std::deque<bool> tariffAnswers, writeAnswers, dataAnswers, resetAnswers, clockAnswers, setAnswers, syncAnswers;
    std::vector<CVKETarif> written;
    std::vector<int> sleeps;
    int reads = 0, resets = 0, clockSets = 0, syncs = 0;

private:
    static bool Next(std::deque<bool>& answers)
    {
        if (answers.empty())
            return true;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace vktest
