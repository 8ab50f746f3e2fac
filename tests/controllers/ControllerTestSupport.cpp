#include "ControllerTestSupport.h"

namespace controllers::test {

void Type(CSettingsPage& page, int id, const QString& text)
{
    page.Ctl<QLineEdit>(id)->setText(text);
    if (auto* edit = page.Ctl<CCheckedEdit>(id))
        emit edit->focusLeft();
}

sim::Instrument SimController(sim::Family family, const sim::Bytes& image, int model)
{
    sim::Instrument instrument(family, 1);
    instrument.blocks[0x16] = image;
    instrument.identification[2] = std::uint8_t(model >> 8);
    instrument.identification[3] = std::uint8_t(model);
    instrument.identification[5] = 64;
    instrument.identification[7] = 0x21;
    return instrument;
}

CConfig SampleQorinConfig()
{
    CConfig c;
    c.byteA = 0x11;
    c.tarif1.t0 = BYTE(95);
    c.tarif1.t1 = 4;
    c.tarif1.t2 = 0x80 | 3;
    c.tarif2.t0 = BYTE(-92);
    c.tarif2.t1 = 2;
    c.tarif2.t2 = 5;
    c.SetCtRatio(500, 5);
    c.reclosingBlock = 4;
    c.SetVoltageConnection(2);
    c.switchingProgram = 0;
    c.ck = 10;
    c.SetCapacitorCount(7, 0);
    const float currents[14] = {0.1f, 0.2f, 0.4f, 0.4f, -0.1f, 0, 8.19175f, 8.19175f, 8.19175f, 8.19175f,
                                8.19175f, 8.19175f, 8.19175f, 8.19175f};
    c.SetStageCurrents(currents);
    for (int i = 6; i < 14; ++i)
        c.stageCurrents[i] = CConfig::kStageNotSet;
    c.regulatedStages = 0x001F;
    c.switchedOffStages = 0x0020;
    c.reactorLimit = 127;
    c.transistorSpeed = 3;
    c.alarmSignal = 0x0040;
    c.alarmAction = 0x0026;
    c.thdLimit = 15;
    c.switchCountLimit = 15;
    return c;
}

CDuskarConfig SampleDuskarConfig()
{
    CDuskarConfig c;
    c.duskarTarif1.t0 = BYTE(95);
    c.duskarTarif1.t1 = 6;
    c.duskarTarif1.t2 = 0x80 | 8;
    c.duskarTarif1.t3 = 2;
    c.duskarTarif2.t0 = BYTE(106);
    c.duskarTarif2.t1 = 3;
    c.duskarTarif2.t2 = 4;
    c.duskarTarif2.t3 = 5;
    c.SetCtRatio(1000, 5);
    c.SetVtRatio(1);
    c.SetNominalVoltage(400);
    c.SetVoltageConnection(1, 0);
    c.reclosingBlock = 6;
    c.ck = 20;
    c.SetCapacitorCount(6, 0);
    const float currents[14] = {0.2f, 0.2f, 0.4f, 0.8f, 0.8f, -0.2f, 8.19175f, 8.19175f, 8.19175f, 8.19175f,
                                8.19175f, 8.19175f, 8.19175f, 8.19175f};
    c.SetStageCurrents(currents);
    for (int i = 6; i < 14; ++i)
        c.stageCurrents[i] = CConfig::kStageNotSet;
    c.regulatedStages = 0x003F;
    c.reactorLimit = -95;
    c.temperatureOutputs = 5;
    c.switchTemperature[0] = 35;
    c.switchTemperature[1] = 5;
    c.voltageLimit[0] = 85;
    c.voltageLimit[1] = 115;
    c.SetThdLimit(8.0f, 0);
    c.SetThdLimit(20.0f, 1);
    c.SetChlLimit(130);
    c.overheatingLimit = 55;
    c.switchCountLimit = 20;
    c.temperatureUnit = 1;
    c.mainsFrequency = 2;
    c.evaluationWindows = 0x21;
    c.alarmSignal = 0x0100;
    c.alarmAction = 0x0502;
    return c;
}

CIden SampleDuskarIden(int model)
{
    CIden iden;
    iden.number = 1234;
    iden.model = WORD(model);
    iden.family = CIden::kFamilyController;
    iden.version = 0x21;
    return iden;
}

ScriptedFileChooser::ScriptedFileChooser(QString p) : path(std::move(p))
{
    m_previous = SetSettingsFileChooser(
        [this](QWidget*, bool save, const QString&, const QString& folder, const QString& name, const FileKind& kind) {
            ++asked;
            lastSave = save;
            lastName = name;
            lastFolder = folder;
            lastFilter = kind.filter;
            return path;
        });
}

ScriptedFileChooser::~ScriptedFileChooser()
{
    SetSettingsFileChooser(std::move(m_previous));
}

} // namespace controllers::test
