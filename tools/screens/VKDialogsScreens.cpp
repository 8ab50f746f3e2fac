// The analyser dialogs that talk to the instrument, filled from a scripted
// instrument with the values of a working VK energy meter.
#include "tools/screens/Screens.h"

#include "analysers_vk/EnergyMeterDlg.h"
#include "analysers_vk/TimeSyncDlg.h"
#include "analysers_vk/VKEntryIo.h"
#include "model/Iden.h"
#include "model/VKEnergy.h"
#include "shell/PristrojInfoDlg.h"

namespace {

class ScreenVKEntry : public analysers_vk::IVKEntryIo {
public:
    QString Name() const override { return QStringLiteral("Rozvodna R2"); }
    int Type() const override { return 2; }
    bool ReadTariff(CVKETarif& t) override
    {
        for (int h = 0; h < CVKETarif::kHours; ++h)
            t.SetCode(h, BYTE(h >= 6 && h < 22 ? 0 : 1));
        return true;
    }
    bool WriteTariff(CVKETarif&) override { return true; }
    bool ReadEnergyData(CVKEData& d) override
    {
        const DWORD counters[12] = {18734562, 120345, 6234511, 40233, 9234511, 53321, 3034512, 20111,
                                    2734513, 17555, 934513, 8111};
        for (int i = 0; i < CVKEData::kCounters; ++i)
            d.SetCounter(i, counters[i]);
        d.SetMaximum(0, 152000000);
        d.SetMaximum(1, 148000000);
        d.SetMaximum(2, 161000000);
        d.SetMaximum(3, 455000000);
        return true;
    }
    bool ResetEnergyMeter() override { return true; }
    bool ReadClock(platform::CTime& t) override
    {
        t = platform::CTime(2024, 11, 14, 9, 41, 12);
        return true;
    }
    bool SetClock() override { return true; }
    bool SyncClock() override { return true; }
    double RatioProduct() const override { return 400.0 / 5.0; }
    void Sleep(int) override {}
    platform::CTime Now() const override { return platform::CTime(2024, 11, 14, 9, 43, 20); }
};

} // namespace

QORIN_SCREENS(VKDialogs)
{
    ScreenVKEntry entry;
    {
        analysers_vk::CEnergyMeterDlg dialog;
        if (dialog.Attach(&entry))
            shot.save(&dialog, QStringLiteral("CEnergyMeterDlg"));
        else
            shot.fail(QStringLiteral("CEnergyMeterDlg: not attached"));
    }
    {
        analysers_vk::CTimeSyncDlg dialog;
        if (dialog.SetPristroj(&entry))
            shot.save(&dialog, QStringLiteral("CTimeSyncDlg"));
        else
            shot.fail(QStringLiteral("CTimeSyncDlg: no times"));
    }
    {
        CPristrojInfoSource source;
        source.identify = [](CIden& iden, QString&) {
            iden.family = CIden::kFamilyAnalyser;
            iden.model = 0x0101;
            iden.number = 10452;
            iden.version = 0x0023;
            return true;
        };
        source.readNoteBook = [](QString& object, QString& record) {
            object = QStringLiteral("Lisovna - hlavní rozvaděč");
            record = QStringLiteral("Měření 11/2024");
        };
        CPristrojInfo info;
        QString error;
        GatherPristrojInfo(source, info, error);
        CPristrojInfoDlg dialog(info);
        shot.save(&dialog, QStringLiteral("CPristrojInfoDlg"));
    }
}
