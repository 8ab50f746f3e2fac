#include "controllers/settings/PristrojDetail.h"

#include "archive/store/QorinArchivData.h"
#include "controllers/settings/SettingsConvert.h"
#include "controllers/settings/SettingsFile.h"
#include "model/Iden.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QPushButton>

namespace controllers {

CPristrojDetail::CPristrojDetail(const QString& title, QWidget* parent) : CDetailSheetBase(title, parent)
{
    SetMessageHandler(platform::WM_DETAIL_RATIO_CHANGED, [this](std::uintptr_t, std::intptr_t) {
        RecomputeRatios();
        return std::intptr_t(0);
    });
}

int CPristrojDetail::ModelFromStore() const
{
    auto* store = m_io ? dynamic_cast<CQorinArchivData*>(m_io->Archive()) : nullptr;
    if (!store)
        return 3;
    CQorinAktData values;
    int state = 0;
    store->GetLatestValues(values, state);
    return values.model;
}

void CPristrojDetail::EnsurePages()
{
    if (m_pagesAdded)
        return;
    m_pagesAdded = true;
    m_twoSection = m_model < 3 ? TRUE : FALSE;
    AddPage(&m_data);
    AddPage(m_twoSection ? static_cast<ui::CPropertyPage*>(&m_stagesN) : &m_stages);
    AddPage(&m_alarms);
}

void CPristrojDetail::RecomputeRatios()
{
    m_data.UpdateData(true);
    const int secondary = m_data.CtSecondary();
    m_ctRatio = secondary ? float(m_data.CtPrimary()) / float(secondary) : 0.0f;
    StagePageInUse().SetCtRatio(m_ctRatio);
}

void CPristrojDetail::FillPages()
{
    m_data.AttachConfig(&m_config, m_model == 5 || m_model == 6);
    m_data.SetModified(true);
    const int secondary = m_data.CtSecondary();
    m_ctRatio = secondary ? float(m_data.CtPrimary()) / float(secondary) : 0.0f;
    if (m_twoSection)
        m_stagesN.AttachConfig(&m_config, &m_ctRatio);
    else
        m_stages.AttachConfig(&m_config, &m_ctRatio, m_model == 3 || m_model == 5);
    m_alarms.AttachConfig(&m_config);
}

BOOL CPristrojDetail::ReadFromInstrument(IControllerIo& io, int)
{
    m_io = &io;
    m_folder = io.SettingsFolder();
    CConfig read;
    CIden iden;
    BOOL haveIden = FALSE;
    const BOOL haveConfig = RunInstrumentTask(parentWidget(), [&] {
        if (!RetryThreeTimes(io, [&] { return io.ReadQorinConfig(read); }))
            return FALSE;
        haveIden = RetryThreeTimes(io, [&] { return io.ReadIdentification(iden); });
        return TRUE;
    });
    m_model = ModelFromStore();
    // An instrument that is not measuring has no values in its store yet;
    // its identification names the same model.
    if (m_model == 0 && haveIden)
        m_model = iden.model;
    EnsurePages();
    if (!haveConfig) {
        if (!OfferSettingsFile())
            return FALSE;
        // The controller did not answer: its firmware is taken as the oldest
        // the pages know.
        m_data.m_version = 32;
        return TRUE;
    }
    m_config = read;
    m_data.m_version = haveIden ? iden.version : WORD(32);
    FillPages();
    return TRUE;
}

bool CPristrojDetail::StorePages()
{
    return m_data.StoreConfig() && StagePageInUse().StoreConfig() && m_alarms.StoreConfig();
}

BOOL CPristrojDetail::WriteRecord(IControllerIo& io)
{
    m_sent = m_config;
    return io.WriteQorinConfig(m_sent);
}

void CPristrojDetail::QueueSentRecords(CArchivData* archive)
{
    QueueSent<CQorinArchivData>(archive, m_sent);
}

bool CPristrojDetail::LoadFile(const QString& path, QString& error)
{
    CConfig loaded;
    if (!LoadQorinSettingsFile(path, loaded, error))
        return false;
    m_config = loaded;
    FillPages();
    return true;
}

QByteArray CPristrojDetail::FileBytes() const
{
    return QorinSettingsBytes(m_config);
}

void CPristrojDetail::AddReportPages(CSettingsReport& report)
{
    AddQorinReport(report, m_data, StagePageInUse(), m_alarms);
}

CPristrojDetailStatic::CPristrojDetailStatic(const QString& title, QWidget* parent) : ui::CPropertySheet(title, parent)
{
    Button(IdApplyNow)->hide();
    Button(IdCancel)->setText(QStringLiteral("Storno"));
}

BOOL CPristrojDetailStatic::LoadFromArchive(CQorinArchivData& archive)
{
    CConfig config;
    if (!archive.GetConfigAt(config))
        return FALSE;
    CQorinAktData values;
    int state = 0;
    archive.GetLatestValues(values, state);
    return LoadFromConfig(config, values.model);
}

BOOL CPristrojDetailStatic::LoadFromConfig(const CConfig& config, int model)
{
    m_config = config;
    const bool twoSection = model < 3;
    if (!m_pagesAdded) {
        m_pagesAdded = true;
        AddPage(&m_data);
        if (!twoSection)
            AddPage(&m_stages);
        AddPage(&m_alarms);
        if (twoSection)
            AddPage(&m_stagesN);
    }
    m_alarms.AttachConfig(&m_config);
    const float ratio = m_data.AttachConfig(&m_config);
    if (twoSection)
        m_stagesN.AttachConfig(&m_config, ratio);
    else
        m_stages.AttachConfig(&m_config, ratio, model == 3 || model == 5);
    return TRUE;
}

void AddQorinReport(CSettingsReport& report, const CDetailUdaj& data, const CKompenzacniStupne& stages,
                    const CDetailAlarm& alarms)
{
    auto tariff = [&](int edit, int under, int underCheck, int over, int overCheck) {
        AddTariffReport(report, data, edit, under, underCheck, over, overCheck);
        report.Empty();
    };

    report.Box(data.Caption());
    report.Empty();
    report.Text(0, data.ControlText(1229));
    tariff(1032, 1021, 1016, 1023, 1034);
    if (data.IsChecked(1025)) {
        report.Text(0, data.ControlText(1025));
        tariff(1019, 1022, 1017, 1024, 1035);
    }
    report.Pair(0, data.ControlText(1226), data.ControlText(1027) + QStringLiteral(" / ") + data.ControlText(1028));
    report.Pair(0, data.ControlText(1227),
                data.ControlText(1030) + QStringLiteral(" ") + platform::LoadString(platform::IDS_UNIT_SECOND));
    report.Pair(0, data.ControlText(1228), data.ControlText(1031));
    if (data.IsChecked(1026))
        report.Pair(0, data.ControlText(1026), data.ControlText(1033));
    else
        report.Text(0, data.ControlText(1026));
    report.Empty();

    report.Box(stages.Caption());
    report.Empty();
    report.Columns(0, platform::LoadString(platform::IDS_PRINT_STAGE),
                   {{8, platform::LoadString(platform::IDS_PRINT_TYPE)},
                    {16, platform::LoadString(platform::IDS_PRINT_SIZE) + QStringLiteral(" [A]")}});
    const QString on = platform::LoadString(platform::IDS_SWITCHED_ON);
    const QString off = platform::LoadString(platform::IDS_SWITCHED_OFF);
    for (int i = 0; i < CStagePageBase::kStages; ++i) {
        QString label = QString::number(i + 1);
        if (stages.IsTwoSection())
            label = i < 6 ? QStringLiteral("T %1").arg(i + 1) : QStringLiteral("R %1").arg(i - 5);
        const int state = stages.GetStageState(i);
        if (state < 0) {
            report.Columns(0, label, {{8, QStringLiteral("--")}});
            continue;
        }
        static const char* const kinds[] = {"", "L", "C", "C", "C", "L", "L"};
        QString type = QString::fromLatin1(kinds[state]);
        if (state == 3 || state == 5)
            type += QLatin1Char(' ') + off;
        else if (state == 4 || state == 6)
            type += QLatin1Char(' ') + on;
        report.Columns(0, label, {{8, type}, {16, stages.ControlText(1140 + i)}});
    }
    report.Empty();
    if (stages.IsTwoSection())
        report.Pair(0, platform::LoadString(platform::IDS_PRINT_REGULATION_SPEED), stages.ControlText(1061));
    report.Pair(0, platform::LoadString(platform::IDS_PRINT_AUTO_STAGE_DETECT),
                stages.IsChecked(1025) ? platform::LoadString(platform::IDS_YES) : QStringLiteral("--"));
    report.Empty();

    report.Box(alarms.Caption());
    report.Empty();
    report.Columns(0, QString(),
                   {{16, platform::LoadString(platform::IDS_PRINT_SIGNALLING)},
                    {24, platform::LoadString(platform::IDS_PRINT_ACTION)}});
    struct Row {
        int label, signal, action;
    };
    static const Row rows[] = {{1231, 0, 0}, {1232, 1, -1}, {1233, 2, -1}, {1234, 3, 1},
                               {1235, 4, 2}, {1236, 5, -1}, {1237, 7, 4},  {1238, 8, 5}};
    const QString yes = platform::LoadString(platform::IDS_YES);
    for (const Row& r : rows) {
        std::vector<std::pair<int, QString>> cols{{16, alarms.m_signal[r.signal] ? yes : QStringLiteral("--")}};
        if (r.action >= 0)
            cols.push_back({24, alarms.m_action[r.action] ? yes : QStringLiteral("--")});
        report.Columns(0, alarms.ControlText(r.label), std::move(cols));
    }
    report.Pair(0, alarms.ControlText(1239), alarms.ControlText(1040) + QStringLiteral(" %"));
    report.Pair(0, alarms.ControlText(1240), convert::GroupThousands((long long)(alarms.m_switchLimit) * 1000));
}

} // namespace controllers
