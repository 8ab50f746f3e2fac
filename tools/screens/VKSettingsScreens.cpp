// The VK settings sheet, each page editable, and the stored settings
// read-only, over the settings of a recorded substation analyser.
#include "Screens.h"

#include "analysers_vk/VKDetail.h"
#include "analysers_vk/VKDetailInstalace.h"
#include "analysers_vk/VKDetailStatic.h"
#include "analysers_vk/VKDetailVystupy.h"
#include "analysers_vk/VKDetailZaznam.h"

namespace {

using namespace analysers_vk;

// An analyser that answers every request from the records it holds.
class HeldVK : public IVKSettingsIo {
public:
    HeldVK()
    {
        s.iden.family = CIden::kFamilyAnalyser;
        s.iden.model = 0x060C | 0x1100;
        s.iden.version = 0x23;
        s.iden.number = 1207;
        s.config.SetVtPrimary(22000);
        s.config.SetVoltageWord(100);
        s.config.SetCtRatioDword(0x80000000u | 400);
        s.config.SetNominalPower(630);
        s.config.SetAddressByte(5);
        s.config.SetSpeedIndex(7);
        s.config.SetModbus(TRUE);
        s.config.SetParity(1);
        s.config.SetModem(TRUE);
        s.config.SetTemperatureAt4mA(-200);
        s.config.SetTemperatureAt20mA(1200);
        s.outputs.SetPulseSending(1, TRUE);
        s.outputs.SetPulseOutputKind(1, 0);
        s.outputs.SetPulseConstant(0, 10.0);
        s.outputs.SetRelayLevel(0, TRUE, 110.0);
        s.outputs.SetRelayAbove(0, TRUE);
        s.outputs.SetRelayFlag6(0, TRUE);
        s.outputs.SetHysteresis(0, 2.5);
        s.outputs.SetBlockingTime(0, 30);
        s.outputs.SetRelayLevel(1, FALSE, 0);
        s.outputs.SetAnalogActive(0, TRUE);
        s.outputs.SetAnalogQuantity(0, 5);
        s.outputs.SetAnalogPhase(0, 3);
        s.outputs.SetAnalogFrom4mA(0, TRUE);
        s.outputs.SetAnalogEnd(0, 120.0);
        s.status.SetRecordPeriodIndex(11);
        s.status.SetCyclic(TRUE);
        s.status.SetVoltageRecording(0, 3, 0);
        s.status.SetCurrentRecording(0, 3, 2);
        s.status.SetPowerFactorRecording(0, 2, 0);
        s.status.SetFrequencyRecording(TRUE, 0);
        s.status.SetPowerRecording(3, 0, TRUE);
        s.status.SetVoltageHarmonicsMode(2);
        BOOL orders[CVKStatus::kHarmonicOrders] = {};
        for (int k : {1, 3, 5, 9, 11})
            orders[k] = TRUE;
        s.status.SetHarmonicSelection(orders);
        s.status.SetRecordCount(120000);
        s.notebook.SetRecordName(QStringLiteral("Trafostanice jih"));
        s.notebook.SetLine(0, QStringLiteral("přívod L1"));
        s.notebook.SetLine(1, QStringLiteral("přívod L2"));
        s.notebook.SetLine(2, QStringLiteral("přívod L3"));
        s.modem = QStringLiteral("AT&F0 S0=1");
    }
    QString Name() const override { return QStringLiteral("Rozvodna Jih"); }
    QString SettingsFolder() const override { return QString(); }
    bool ReadConfig(CVKConfig& c) override { return c = s.config, true; }
    bool WriteConfig(const CVKConfig&) override { return true; }
    bool ReadModemBlock(ModemBlock& b) override { return b = ModemBlockOf(s.modem), true; }
    bool WriteModemBlock(const ModemBlock&) override { return true; }
    bool ReadIdentification(CIden& i) override { return i = s.iden, true; }
    bool ReadOutputConfig(CVKOutputConfig& o, const CIden&) override { return o = s.outputs, true; }
    bool WriteOutputConfig(const CVKOutputConfig&) override { return true; }
    bool ReadStatus(CVKStatus& st) override { return st = s.status, true; }
    bool WriteStatus(const CVKStatus&) override { return true; }
    bool ReadNoteBook(CVKNoteBook& n) override { return n = s.notebook, true; }
    bool WriteNoteBook(const CVKNoteBook&) override { return true; }
    bool SetClock() override { return true; }
    void PostResync() override {}
    void QueueConfigRecord(const CVKConfig&) override {}
    void QueueEvent(const QString&) override {}
    void Yield() override {}

    CVKSettings s;
};

} // namespace

QORIN_SCREENS(VKSettings)
{
    HeldVK io;
    CVKDetail sheet(CVKDetail::TitleFor(io.Name()));
    if (!sheet.ReadFromDevice(io, 0)) {
        shot.fail(QStringLiteral("CVKDetail: the held analyser was not read"));
        return;
    }
    sheet.resize(760, 700);
    const char* names[] = {"CVKDetailInstalace", "CVKDetailVystupy", "CVKDetailZaznam"};
    for (int page = 0; page < 3; ++page) {
        sheet.show();
        sheet.SetActivePage(page);
        shot.save(&sheet, QString::fromLatin1(names[page]));
    }
    sheet.SetActivePage(1);
    sheet.Vystupy().SelectTab(2);
    shot.save(&sheet, QStringLiteral("CVKDetailVystupy-analog"));
    sheet.SetActivePage(0);
    shot.save(&sheet, QStringLiteral("CVKDetail"));
    sheet.hide();

    CVKDetailStatic stored;
    stored.Load(io.s.config, io.s.iden, &io.s.status);
    stored.resize(760, 700);
    stored.show();
    stored.SetActivePage(0);
    shot.save(&stored, QStringLiteral("CVKDetailInstalaceStatic"));
    stored.SetActivePage(1);
    shot.save(&stored, QStringLiteral("CVKDetailZaznamStatic"));
    stored.hide();
}
