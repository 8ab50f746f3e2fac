// The VKT settings sheet, each page editable, and the stored settings
// read-only, over the settings of a substation analyser.
#include "Screens.h"

#include "analysers_vkt/VKTDetail.h"
#include "analysers_vkt/VKTDetailInstalace.h"
#include "analysers_vkt/VKTDetailVystupy.h"
#include "analysers_vkt/VKTDetailZaznam.h"

namespace {

using namespace analysers_vkt;

// An analyser that answers every request from the records it holds.
class HeldVKT : public IVKTSettingsIo {
public:
    HeldVKT()
    {
        s.iden.family = CIden::kFamilyAnalyser;
        s.iden.model = 0x2101; // VKT44 on RS-485
        s.iden.version = 0x0203;
        s.iden.number = 3107;
        s.iden.i1 = 3; // one pulse output, one relay
        s.config.SetVtPrimary(220);
        s.config.SetVt4(220);
        s.config.SetCtPrimary(0x8000 | 400);
        s.config.SetCt4(100);
        s.config.SetConnection(CVKTConfig::Star);
        s.config.SetRemoteOptions(0x80 | 0x02);
        s.config.SetBusAddress(5);
        s.config.SetLineSpeed(2);
        s.config.SetNominalVoltage(100.0f);
        s.config.SetNominalPower(5000.0f);
        s.config.SetDisplay(2 + 16);
        s.outputs.SetSending(1, TRUE);
        s.outputs.SetOutputMode(1, 0);
        s.outputs.SetPulseConstant(0, 10000);
        s.outputs.SetQuantity(0, 2);
        s.outputs.SetFunction(0, 4);
        s.outputs.SetFlag(0, TRUE);
        s.outputs.SetLimit(0, TRUE, 4.5f);
        s.outputs.SetHysteresis(0, 250);
        s.outputs.SetBlockingTime(0, 30);
        CVKTArch& arch = s.status.GetArch();
        arch.SetInterval(900);
        arch.SetSelection(CVKTArch::SelVoltage, 0x17);
        arch.SetSelection(CVKTArch::SelCurrent, 0x0F);
        arch.SetSelection(CVKTArch::SelActivePower, 0x07);
        arch.SetSelection(CVKTArch::SelFlags, 0x05);
        arch.SetSelection(CVKTArch::SelHarmonics, 0x07);
        arch.SetSelection(CVKTArch::SelOrders, 13);
        arch.SetSelection(CVKTArch::SelCyclic, 1);
        const char name[] = "Trafostanice jih";
        std::copy(name, name + sizeof name - 1, s.notebook.GetText2().begin());
        s.modem = QStringLiteral("AT&F0 S0=1");
    }
    QString Name() const override { return QStringLiteral("Rozvodna Jih"); }
    QString SettingsFolder() const override { return QString(); }
    bool ReadConfig(CVKTConfig& c) override { return c = s.config, true; }
    bool WriteConfig(const CVKTConfig&) override { return true; }
    bool ReadModemBlock(ModemBlock& b) override { return b = ModemBlockOf(s.modem), true; }
    bool WriteModemBlock(const ModemBlock&) override { return true; }
    bool ReadIdentification(CIden& i) override { return i = s.iden, true; }
    bool ReadOutputConfig(CVKTOutputConfig& o) override { return o = s.outputs, true; }
    bool WriteOutputConfig(const CVKTOutputConfig&) override { return true; }
    bool ReadStatus(CVKTStatus& st) override { return st = s.status, true; }
    bool WriteStatus(const CVKTStatus&) override { return true; }
    bool ReadNoteBook(CVKTNoteBook& n) override { return n = s.notebook, true; }
    bool WriteNoteBook(const CVKTNoteBook&) override { return true; }
    bool SetClock() override { return true; }
    void PostResync() override {}
    void QueueConfigRecord(const CVKTConfig&) override {}
    void QueueEvent(const QString&) override {}
    void Sleep(int) override {}

    CVKTSettings s;
};

} // namespace

QORIN_SCREENS(VKTSettings)
{
    HeldVKT io;
    CVKTDetail sheet(CVKTDetail::TitleFor(io.Name()));
    if (!sheet.ReadFromDevice(io)) {
        shot.fail(QStringLiteral("CVKTDetail: the held analyser was not read"));
        return;
    }
    sheet.resize(820, 640);
    const char* names[] = {"CVKTDetailInstalace", "CVKTDetailVystupy", "CVKTDetailZaznam"};
    for (int page = 0; page < 3; ++page) {
        sheet.show();
        sheet.SetActivePage(page);
        shot.save(&sheet, QString::fromLatin1(names[page]));
    }
    sheet.SetActivePage(0);
    shot.save(&sheet, QStringLiteral("CVKTDetail"));
    sheet.hide();

    CVKTDetailStatic stored(QStringLiteral("Nastavení záznamu"));
    stored.SetSettings(io.s.config, io.s.iden, &io.s.status);
    stored.resize(820, 640);
    stored.show();
    stored.SetActivePage(0);
    shot.save(&stored, QStringLiteral("CVKTDetailInstalaceStatic"));
    stored.SetActivePage(1);
    shot.save(&stored, QStringLiteral("CVKTDetailZaznamStatic"));
    stored.hide();
}
