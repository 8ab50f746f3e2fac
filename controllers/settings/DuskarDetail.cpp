#include "controllers/settings/DuskarDetail.h"

#include "archive/store/DuskarArchivData.h"
#include "controllers/settings/SettingsConvert.h"
#include "controllers/settings/SettingsFile.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QPushButton>

namespace controllers {

DuskarModelFlags DuskarFlagsOfModel(int model)
{
    DuskarModelFlags f;
    f.thyristor = model == 18 ? TRUE : FALSE;
    f.sixStep = model == 19 || model == 21 ? TRUE : FALSE;
    f.singleTariff = model == 21 || model == 22 ? TRUE : FALSE;
    return f;
}

namespace {

float CtRatioOf(const CDuskarDetailUdaj& data)
{
    return data.CtSecondary() ? float(data.CtPrimary()) / float(data.CtSecondary()) : 0.0f;
}

float KvarFactorOf(const CDuskarDetailUdaj& data, float ctRatio)
{
    return float(data.PrimaryNominalVoltage()) * ctRatio * 0.003f;
}

} // namespace

CDuskarDetail::CDuskarDetail(const QString& title, QWidget* parent) : CDetailSheetBase(title, parent)
{
    AddPage(&m_data);
    AddPage(&m_steps);
    AddPage(&m_alarms);
    AddPage(&m_other);
    SetMessageHandler(platform::WM_DETAIL_RATIO_CHANGED, [this](std::uintptr_t, std::intptr_t) {
        RecomputeRatios();
        return std::intptr_t(0);
    });
}

void CDuskarDetail::RecomputeRatios()
{
    m_data.UpdateData(true);
    m_ctRatio = CtRatioOf(m_data);
    m_kvarFactor = KvarFactorOf(m_data, m_ctRatio);
    m_steps.SetRatios(m_ctRatio, m_kvarFactor);
}

void CDuskarDetail::FillPages()
{
    // Every record brings its own model: a file of another model does not
    // keep the flags of the one read before.
    m_flags = DuskarFlagsOfModel(m_iden.model);
    m_data.AttachConfig(&m_config, m_flags.singleTariff);
    m_data.SetModified(true);
    m_ctRatio = CtRatioOf(m_data);
    m_kvarFactor = KvarFactorOf(m_data, m_ctRatio);
    m_steps.AttachConfig(&m_config, &m_ctRatio, &m_kvarFactor, m_flags.sixStep, m_flags.thyristor);
    m_alarms.AttachConfig(&m_config);
    m_other.AttachConfig(&m_config);
}

BOOL CDuskarDetail::ReadFromInstrument(IControllerIo& io, int)
{
    m_io = &io;
    m_folder = io.SettingsFolder();
    CDuskarConfig read;
    CIden iden;
    const BOOL ok = RunInstrumentTask(parentWidget(), [&] { return RetryReadDuskarSettings(io, read, iden); });
    if (!ok)
        return OfferSettingsFile();
    m_config = read;
    m_iden = iden;
    FillPages();
    return TRUE;
}

bool CDuskarDetail::StorePages()
{
    return m_data.StoreConfig() && m_steps.StoreConfig() && m_alarms.StoreConfig() && m_other.StoreConfig();
}

BOOL CDuskarDetail::WriteRecord(IControllerIo& io)
{
    m_sent = m_config;
    return io.WriteDuskarConfig(m_sent);
}

void CDuskarDetail::QueueSentRecords(CArchivData* archive)
{
    QueueSent<CDuskarArchivData>(archive, m_sent);
}

bool CDuskarDetail::LoadFile(const QString& path, QString& error)
{
    CDuskarConfig loaded;
    CIden iden;
    if (!LoadDuskarSettingsFile(path, loaded, iden, error))
        return false;
    m_config = loaded;
    m_iden = iden;
    FillPages();
    return true;
}

QByteArray CDuskarDetail::FileBytes() const
{
    return DuskarSettingsBytes(m_config, m_iden);
}

void CDuskarDetail::AddReportPages(CSettingsReport& report)
{
    AddDuskarReport(report, m_data, m_steps, m_alarms, m_other);
}

CDuskarDetailStatic::CDuskarDetailStatic(const QString& title, QWidget* parent) : ui::CPropertySheet(title, parent)
{
    Button(IdApplyNow)->hide();
    Button(IdCancel)->setText(QStringLiteral("Storno"));
    AddPage(&m_data);
    AddPage(&m_steps);
    AddPage(&m_alarms);
    AddPage(&m_other);
}

BOOL CDuskarDetailStatic::LoadFromArchive(CDuskarArchivData& archive)
{
    CDuskarConfig config;
    if (!archive.GetConfigAt(config))
        return FALSE;
    CDuskarAktData values;
    int state = 0;
    archive.GetLatestValues(values, state);
    return LoadFromConfig(config, values.model);
}

BOOL CDuskarDetailStatic::LoadFromConfig(const CDuskarConfig& config, int model)
{
    m_config = config;
    const DuskarModelFlags flags = DuskarFlagsOfModel(model);
    m_data.AttachConfig(&m_config, flags.singleTariff);
    m_ctRatio = CtRatioOf(m_data);
    m_kvarFactor = KvarFactorOf(m_data, m_ctRatio);
    m_steps.AttachConfig(&m_config, &m_ctRatio, &m_kvarFactor, flags.sixStep, flags.thyristor);
    m_alarms.AttachConfig(&m_config);
    m_other.AttachConfig(&m_config);
    return TRUE;
}

void AddDuskarReport(CSettingsReport& report, const CDuskarDetailUdaj& data,
                     const CDuskarDetailKompenzacniStupne& steps, const CDuskarDetailAlarm& alarms,
                     const CDuskarDetailOther& other)
{
    auto tariff = [&](int edit, int under, int underCheck, int over, int overCheck, int band) {
        AddTariffReport(report, data, edit, under, underCheck, over, overCheck);
        report.Pair(1, data.ControlText(1234), data.ControlText(band));
        report.Empty();
    };
    report.Box(data.Caption());
    report.Empty();
    report.Text(0, data.ControlText(1229));
    tariff(1032, 1021, 1016, 1023, 1034, 1036);
    if (data.IsChecked(1025) && !data.m_singleTariff) {
        report.Text(0, data.ControlText(1025));
        tariff(1019, 1022, 1017, 1024, 1035, 1037);
    }
    report.Pair(0, data.ControlText(1226), data.ControlText(1027) + QStringLiteral(" / ") + data.ControlText(1028));
    report.Pair(0, data.ControlText(1251), data.ControlText(1040));
    report.Pair(0, data.ControlText(1252), data.ControlText(1042) + QStringLiteral(" V"));
    report.Pair(0, data.ControlText(1227), data.ControlText(1030));
    report.Pair(0, data.ControlText(1228), data.ControlText(1031));
    if (data.IsChecked(1026))
        report.Pair(0, data.ControlText(1026), data.ControlText(1033));
    else
        report.Text(0, data.ControlText(1026));
    report.Empty();

    report.Box(steps.Caption());
    report.Empty();
    report.Columns(0, platform::LoadString(platform::IDS_PRINT_STAGE),
                   {{8, platform::LoadString(platform::IDS_PRINT_TYPE)},
                    {16, platform::LoadString(platform::IDS_PRINT_SIZE) + QStringLiteral(" [kvar] ([A])")}});
    const QString on = platform::LoadString(platform::IDS_SWITCHED_ON);
    const QString off = platform::LoadString(platform::IDS_SWITCHED_OFF);
    const int count = steps.m_sixStage ? 6 : CStagePageBase::kStages;
    for (int i = 0; i < count; ++i) {
        QString label = QString::number(i + 1);
        if (steps.IsThyristorModel())
            label += i < steps.m_thyristorCount ? QStringLiteral(" - T") : QStringLiteral(" - R");
        const int state = steps.GetStageState(i);
        if (state < 0) {
            report.Columns(0, label, {{8, QStringLiteral("--")}});
            continue;
        }
        if (state >= 7) {
            const int output = steps.OutputOfStep(i);
            report.Columns(0, label,
                           {{8, platform::LoadString(state == 7 ? platform::IDS_STAGE_COOLING
                                                                : platform::IDS_STAGE_HEATING)},
                            {16, steps.ControlText(1154 + output) + QLatin1Char(' ')
                                     + platform::LoadString(platform::IDS_DEGREE_CELSIUS)}});
            continue;
        }
        static const char* const kinds[] = {"", "L", "C", "C", "C", "L", "L"};
        QString type = QString::fromLatin1(kinds[state]);
        if (state == 3 || state == 5)
            type += QLatin1Char(' ') + off;
        else if (state == 4 || state == 6)
            type += QLatin1Char(' ') + on;
        QString size = QStringLiteral("--");
        if (steps.WithinBound(steps.m_size[i])) {
            const double shown = steps.m_size[i];
            const double other = steps.OtherUnitSize(i);
            const double kvar = steps.m_displayMode == 1 ? shown : other;
            const double amps = steps.m_displayMode == 1 ? other : shown;
            size = QString::asprintf("%0.3f  (%0.2f)", kvar, amps);
        }
        report.Columns(0, label, {{8, type}, {16, size}});
    }
    report.Empty();
    if (steps.IsThyristorModel() && steps.m_thyristorCount >= 1)
        report.Pair(0, platform::LoadString(platform::IDS_PRINT_REGULATION_SPEED), steps.ControlText(1061));
    report.Pair(0, platform::LoadString(platform::IDS_PRINT_AUTO_STAGE_DETECT), steps.ControlText(1062));
    report.Empty();

    report.Box(alarms.Caption());
    report.Empty();
    const QString state = alarms.ControlText(1230);
    report.Columns(0, state.left(1) + state.mid(1).toLower(),
                   {{16, platform::LoadString(platform::IDS_PRINT_SIGNALLING)},
                    {24, platform::LoadString(platform::IDS_PRINT_ACTION)},
                    {32, alarms.ControlText(1247)}});
    const QString yes = platform::LoadString(platform::IDS_YES);
    auto limit = [&alarms](int edit, int unit) {
        return alarms.ControlText(edit) + QLatin1Char(' ') + alarms.ControlText(unit);
    };
    // Print order: label id, alarm, limit text.
    const struct {
        int alarm;
        QString limit;
    } rows[] = {{0, {}},
                {1, {}},
                {2, {}},
                {3, limit(1043, 1429)},
                {4, limit(1044, 1429)},
                {5, limit(1400, 1430)},
                {6, limit(1401, 1430)},
                {7, limit(1402, 1430)},
                {8, {}},
                {9, {}},
                {10, convert::GroupThousands((long long)(alarms.m_switchLimit) * 1000)},
                {11, {}},
                {-1, {}},
                {12, limit(1403, 1432)}};
    for (const auto& r : rows) {
        if (r.alarm < 0) {
            report.Empty();
            continue;
        }
        const auto& row = CDuskarDetailAlarm::kRows[r.alarm];
        std::vector<std::pair<int, QString>> cols{{16, alarms.m_signal[r.alarm] ? yes : QStringLiteral("--")}};
        if (row.actionIndex >= 0)
            cols.push_back({24, alarms.m_action[row.actionIndex] ? yes : QStringLiteral("--")});
        if (!r.limit.isEmpty())
            cols.push_back({32, r.limit});
        report.Columns(0, alarms.ControlText(row.label), std::move(cols));
    }
    report.Empty();

    report.Box(other.Caption());
    report.Empty();
    report.Pair(0, other.ControlText(1247), other.ControlText(1405));
    report.Pair(0, other.ControlText(1248), other.ControlText(1406));
    report.Pair(0, other.ControlText(1249), other.ControlText(1407));
    report.Pair(0, other.ControlText(1250), other.ControlText(1036));
}

} // namespace controllers
