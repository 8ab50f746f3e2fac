// The controller settings sheets (both families, editable and read-only),
// the switching statistics and the special functions.
#include "Screens.h"

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "controllers/settings/SwitchStatsDlg.h"
#include "model/ControllerAlarms.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

using namespace controllers;

// A controller that answers with fixed records.
class ScreensIo : public IControllerIo {
public:
    BOOL ReadQorinConfig(CConfig& c) override { return c = qorin, TRUE; }
    BOOL WriteQorinConfig(CConfig&) override { return TRUE; }
    BOOL ReadDuskarConfig(CDuskarConfig& c) override { return c = duskar, TRUE; }
    BOOL WriteDuskarConfig(CDuskarConfig&) override { return TRUE; }
    BOOL ReadIdentification(CIden& i) override { return i = iden, TRUE; }
    BOOL ReadSwitchingStatistics(CStageSwitchStats&, CStageSwitchState&) override { return TRUE; }
    BOOL SendControllerCommand(const CControllerAlarms&) override { return TRUE; }
    void Sleep(DWORD) override {}
    CArchivData* Archive() override { return archive; }
    QString Name() const override { return QStringLiteral("Rozvodna R2"); }
    QString SettingsFolder() const override { return QString(); }

    CConfig qorin;
    CDuskarConfig duskar;
    CIden iden;
    CArchivData* archive = nullptr;
};

template <class Store>
class ModelStore : public Store {
public:
    explicit ModelStore(int model)
    {
        std::lock_guard lock(this->valuesLock);
        this->values.model = WORD(model);
    }
};

CConfig QorinRecord()
{
    CConfig c;
    c.tarif1.t0 = BYTE(96);
    c.tarif1.t1 = 4;
    c.tarif1.t2 = 0x80 | 3;
    c.tarif2.t0 = BYTE(-95);
    c.tarif2.t1 = 5;
    c.tarif2.t2 = 5;
    c.SetCtRatio(600, 5);
    c.reclosingBlock = 4;
    c.SetVoltageConnection(1);
    c.switchingProgram = 6;
    c.SetCk(0.25f);
    c.SetCapacitorCount(7, 0);
    const float currents[14] = {0.25f, 0.25f, 0.5f, 1.0f, 2.0f, 2.0f, 2.0f, 0, 0, 0, 0, 0, 0, 0};
    c.SetStageCurrents(currents);
    for (int i = 7; i < 14; ++i)
        c.stageCurrents[i] = CConfig::kStageNotSet;
    c.stageCurrents[11] = short(-1000);
    c.regulatedStages = 0x007F;
    c.switchedOffStages = 0x0400;
    c.reactorLimit = 98;
    c.SetTransistorStageCount(4);
    c.transistorSpeed = 12;
    c.alarmSignal = 0x0040;
    c.alarmAction = 0x0026;
    c.thdLimit = 16;
    c.switchCountLimit = 15;
    return c;
}

CDuskarConfig DuskarRecord()
{
    CDuskarConfig c;
    c.duskarTarif1.t0 = BYTE(97);
    c.duskarTarif1.t1 = 6;
    c.duskarTarif1.t2 = 8;
    c.duskarTarif1.t3 = 2;
    c.duskarTarif2.t0 = BYTE(108);
    c.duskarTarif2.t1 = 3;
    c.duskarTarif2.t2 = 0x80 | 4;
    c.duskarTarif2.t3 = 3;
    c.SetCtRatio(1000, 5);
    c.SetVtRatio(1);
    c.SetNominalVoltage(400);
    c.SetVoltageConnection(1, 0);
    c.reclosingBlock = 6;
    c.switchingProgram = 3;
    c.SetCk(0.1f);
    c.SetCapacitorCount(8, 0);
    const float currents[14] = {0.1f, 0.1f, 0.2f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0, 0, 0, 0, 0, 0};
    c.SetStageCurrents(currents);
    for (int i = 8; i < 14; ++i)
        c.stageCurrents[i] = CConfig::kStageNotSet;
    c.regulatedStages = 0x00FF;
    c.reactorLimit = -95;
    c.temperatureOutputs = 0x04 | 0x02; // step 14 cools
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
    c.mainsFrequency = 1;
    c.evaluationWindows = 0x21;
    c.thyristorSection = 4;
    c.thyristorSpeed = 9;
    c.alarmSignal = 0x0100;
    c.alarmAction = 0x0502;
    return c;
}

void SavePages(screens::Shot& shot, ui::CPropertySheet& sheet, const QStringList& names)
{
    sheet.resize(720, 620);
    sheet.show();
    for (int i = 0; i < sheet.GetPageCount() && i < names.size(); ++i) {
        if (names[i].isEmpty())
            continue;
        sheet.SetActivePage(i);
        shot.save(&sheet, names[i]);
    }
    sheet.hide();
}

} // namespace

QORIN_SCREENS(ControllerSettings)
{
    ScreensIo io;
    io.qorin = QorinRecord();
    io.iden.version = 0x21;
    {
        ModelStore<CQorinArchivData> store(4);
        io.archive = &store;
        CPristrojDetail sheet(QStringLiteral("Nastavení přístroje (Rozvodna R2)"));
        sheet.ReadFromInstrument(io, 0);
        SavePages(shot, sheet, {QStringLiteral("CDetailUdaj"), QStringLiteral("CKompenzacniStupne"),
                                QStringLiteral("CDetailAlarm")});
    }
    {
        ModelStore<CQorinArchivData> store(1);
        io.archive = &store;
        CPristrojDetail sheet(QStringLiteral("Nastavení přístroje (Rozvodna R2)"));
        sheet.ReadFromInstrument(io, 0);
        SavePages(shot, sheet, {QStringLiteral("CDetailUdaj-model1"), QStringLiteral("CKompenzacniStupneN")});
    }
    {
        ModelStore<CQorinArchivData> store(3);
        io.archive = &store;
        CPristrojDetail sheet(QStringLiteral("Nastavení přístroje (Rozvodna R2)"));
        sheet.ReadFromInstrument(io, 0);
        SavePages(shot, sheet, {QString(), QStringLiteral("CKompenzacniStupne-six")});
    }
    {
        CPristrojDetailStatic sheet(QStringLiteral("Nastavení přístroje"));
        sheet.LoadFromConfig(QorinRecord(), 4);
        SavePages(shot, sheet, {QStringLiteral("CDetailUdajStatic"), QStringLiteral("CKompenzacniStupneStatic"),
                                QStringLiteral("CDetailAlarmStatic")});
        CPristrojDetailStatic older(QStringLiteral("Nastavení přístroje"));
        older.LoadFromConfig(QorinRecord(), 2);
        SavePages(shot, older, {QString(), QString(), QStringLiteral("CKompenzacniStupneNStatic")});
    }

    io.duskar = DuskarRecord();
    for (int model : {20, 18, 21}) {
        ModelStore<CDuskarArchivData> store(model);
        io.archive = &store;
        io.iden.model = WORD(model);
        CDuskarDetail sheet(QStringLiteral("Nastavení přístroje (Duskar D1)"));
        sheet.ReadFromInstrument(io, 0);
        const QString suffix = model == 20 ? QString() : model == 18 ? QStringLiteral("-thyristor") : QStringLiteral("-six");
        if (model == 20)
            SavePages(shot, sheet, {QStringLiteral("CDuskarDetailUdaj"), QStringLiteral("CDuskarDetailKompenzacniStupne"),
                                    QStringLiteral("CDuskarDetailAlarm"), QStringLiteral("CDuskarDetailOther")});
        else
            SavePages(shot, sheet, {QStringLiteral("CDuskarDetailUdaj") + suffix,
                                    QStringLiteral("CDuskarDetailKompenzacniStupne") + suffix});
    }
    {
        CDuskarDetailStatic sheet(QStringLiteral("Nastavení přístroje"));
        sheet.LoadFromConfig(DuskarRecord(), 20);
        SavePages(shot, sheet, {QStringLiteral("CDuskarDetailUdajStatic"),
                                QStringLiteral("CDuskarDetailKompenzacniStupneStatic"),
                                QStringLiteral("CDuskarDetailAlarmStatic"), QStringLiteral("CDuskarDetailOtherStatic")});
    }

    {
        CStageSwitchStats stats;
        CStageSwitchState state;
        state.model = 16;
        for (int i = 0; i < 14; ++i) {
            stats.switchCounts[i] = WORD(37 * (14 - i));
            state.countLow[i] = BYTE(11 * i);
            stats.onTimes[i] = WORD(420 * (14 - i) + 17 * i);
        }
        CSwitchStatsDlg dialog;
        dialog.SetRecords(stats, state);
        dialog.CountReset(0)->setChecked(true);
        shot.save(&dialog, QStringLiteral("CSwitchStatsDlg"));
        state.model = 3;
        state.version = 20;
        CSwitchStatsDlg six;
        six.SetRecords(stats, state);
        shot.save(&six, QStringLiteral("CSwitchStatsDlg-model3"));
    }
    {
        CSpecialniFunkceDlg dialog;
        dialog.SetState(TRUE, FALSE);
        dialog.Reinit()->setChecked(true);
        shot.save(&dialog, QStringLiteral("CSpecialniFunkceDlg"));
    }
}
