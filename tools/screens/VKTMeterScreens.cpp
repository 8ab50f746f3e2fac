// The VKT electricity-meter dialog over a held meter.
#include "Screens.h"

#include "analysers_vkt/VKTElektromerDlg.h"

namespace {

using namespace analysers_vkt;

class HeldMeter : public IVKTMeterIo {
public:
    HeldMeter()
    {
        for (int h = 0; h < 24; ++h)
            tariff.SetCode(h, h >= 6 && h < 22 ? 0 : 1);
        CVKTEData& e = data.GetData();
        const double import[] = {1523.25, 712.5, 0.0};
        for (int t = 0; t < 3; ++t) {
            e.SetRegister(t, 0, import[t]);
            e.SetRegister(t, 2, import[t] * 0.31);
        }
        for (int p = 4; p < 7; ++p) {
            e.SetRegister(p, 0, 745.25 + p);
            e.SetRegister(p, 2, 231.0 + p);
        }
    }
    QString Name() const override { return QStringLiteral("Rozvodna Jih"); }
    bool ReadTariff(CVKTETarif& t) override { return t = tariff, true; }
    bool WriteTariff(const CVKTETarif&) override { return true; }
    bool ReadEnergy(CVKTEDataRec& d) override { return d = data, true; }
    bool ResetMeter(BYTE) override { return true; }
    int IntervalCode() const override { return 0; }
    void SetIntervalCode(int) override {}
    double RatioProduct() const override { return 80.0; }
    void Sleep(int) override {}

    CVKTETarif tariff;
    CVKTEDataRec data;
};

} // namespace

QORIN_SCREENS(VKTMeter)
{
    HeldMeter io;
    CVKTElektromerDlg dialog(io);
    dialog.ReadMeter();
    dialog.resize(900, 620);
    shot.save(&dialog, QStringLiteral("CVKTElektromerDlg"));
}
