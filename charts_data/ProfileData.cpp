#include "charts_data/ProfileData.h"

#include "archive/store/VKArchivFormats.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"

#include <QFile>

#include <algorithm>
#include <cmath>

BOOL CProfileData::AddGraphSeries(const QString& name, const QString& unit, const QString& scaleGroup,
                                  std::uint32_t colour, float upperLimit, float lowerLimit)
{
    if (FindGraphSeries(name))
        return FALSE;
    auto trace = std::make_unique<CGraphTrace>(name, unit, scaleGroup, colour, upperLimit, lowerLimit);
    float upper = upperLimit;
    float lower = lowerLimit;
    for (std::size_t i = 0; i < m_traces.size(); ++i) {
        CGraphTrace& t = *m_traces[i];
        if (t.Group() != scaleGroup)
            continue;
        if (t.Maximum() >= upperLimit && t.Minimum() <= lowerLimit) {
            upper = t.Maximum();
            lower = t.Minimum();
        } else {
            upper = std::max(t.Maximum(), upperLimit);
            lower = std::min(t.Minimum(), lowerLimit);
            for (std::size_t j = i; j < m_traces.size(); ++j)
                if (m_traces[j]->Group() == scaleGroup)
                    m_traces[j]->SetRange(upper, lower, true);
        }
        break;
    }
    trace->SetRange(upper, lower, false);
    trace->Rescale(m_date, kDaySeconds, false);
    m_traces.push_back(std::move(trace));
    return TRUE;
}

void CProfileData::RerangeGroup(const QString& group)
{
    bool any = false;
    float upper = 0;
    float lower = 0;
    for (const auto& t : m_traces) {
        if (t->Group() != group)
            continue;
        upper = any ? std::max(upper, t->DefaultMaximum()) : t->DefaultMaximum();
        lower = any ? std::min(lower, t->DefaultMinimum()) : t->DefaultMinimum();
        any = true;
    }
    for (const auto& t : m_traces)
        if (t->Group() == group)
            t->SetRange(upper, lower, true);
}

void CProfileData::SetSeriesScale(const QString& name, float upperLimit, float lowerLimit)
{
    CGraphTrace* trace = FindGraphSeries(name);
    if (!trace || (trace->DefaultMaximum() == upperLimit && trace->DefaultMinimum() == lowerLimit))
        return;
    trace->SetDefaultRange(upperLimit, lowerLimit);
    RerangeGroup(trace->Group());
}

BOOL CProfileData::RemoveGraphSeries(const QString& name)
{
    const auto it = std::find_if(m_traces.begin(), m_traces.end(), [&](const auto& t) { return t->Name() == name; });
    if (it == m_traces.end())
        return FALSE;
    const QString group = (*it)->Group();
    m_traces.erase(it);
    RerangeGroup(group);
    return TRUE;
}

CGraphTrace* CProfileData::FindGraphSeries(const QString& name) const
{
    for (const auto& t : m_traces)
        if (t->Name() == name)
            return t.get();
    return nullptr;
}

BOOL CProfileData::SetSeriesAbsolute(const QString& name, BOOL absolute)
{
    CGraphTrace* trace = FindGraphSeries(name);
    if (!trace)
        return 0;
    if (trace->Option() == absolute)
        return TRUE;
    trace->SetOption(absolute);
    return FALSE;
}

BOOL CProfileData::SetSeriesColor(const QString& name, std::uint32_t colour)
{
    CGraphTrace* trace = FindGraphSeries(name);
    if (!trace)
        return FALSE;
    trace->SetColour(colour);
    return TRUE;
}

void CProfileData::RemoveAllSeries() { m_traces.clear(); }

BOOL CProfileData::SetPath(const QString& path)
{
    QString failure;
    const QByteArray bytes = ReadBytes(path, failure);
    if (failure.isEmpty())
        failure = ReadFile(bytes);
    if (!failure.isEmpty()) {
        m_errorText = failure;
        return FALSE;
    }
    m_errorText.clear();
    m_path = path;
    m_hour = 0;
    m_cursor = 0;
    for (const auto& t : m_traces)
        t->Rescale(m_date, kDaySeconds, false);
    Prepare(kFillTraces | kFillHour);
    return TRUE;
}

QByteArray CProfileData::ReadBytes(const QString& path, QString& failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = platform::LoadString(platform::IDS_FILE_OPEN_FAILED);
        return {};
    }
    failure.clear();
    return file.readAll();
}

void CProfileData::Prepare(int mode)
{
    for (CGraphTrace* t : QuantityTraces())
        if (t)
            t->SetPointCount(0, kMinutes);
    Load(mode);
}

std::vector<CGraphTrace*> CProfileData::QuantityTraces() const
{
    std::vector<CGraphTrace*> traces;
    for (int i = 0; i < m_quantityCount; ++i)
        traces.push_back(FindGraphSeries(GetQuantityName(i)));
    return traces;
}

void CProfileData::TakeHead(const charts::CProfileFileHead& head, double voltageRatio, double currentRatio,
                            int connection)
{
    m_header = head.name;
    m_kind = head.kind;
    m_date = head.date;
    m_voltageRatio = float(voltageRatio);
    m_currentRatio = float(currentRatio);
    m_connection = connection;
    const CArchivNumberFormat voltage = ChooseVoltageFormatByRatio(voltageRatio);
    const CArchivNumberFormat current = ChooseCurrentFormatByRatio(currentRatio);
    const CArchivNumberFormat power = ChoosePowerFormatByRatio(voltageRatio * currentRatio);
    m_voltageFormat = voltage.format;
    m_voltageMultiplier = voltage.multiplier;
    m_currentFormat = current.format;
    m_currentMultiplier = current.multiplier;
    m_powerFormat = power.format;
    m_powerMultiplier = power.multiplier;
}

void CProfileData::SetCursor(int minute)
{
    m_cursor = std::clamp(minute, 0, kLastMinute);
    if (m_cursor / 60 != m_hour) {
        m_hour = m_cursor / 60;
        Load(kFillHour);
    }
}

BOOL CProfileData::MoveCursor(int minutes)
{
    SetCursor(m_cursor + minutes);
    return m_cursor == 0 || m_cursor == kLastMinute ? TRUE : FALSE;
}

void CProfileData::SetCursorPermille(float permille)
{
    SetCursor(int(std::trunc(double(permille) * 1.44 + 0.5)));
}

int CProfileData::GetCursorX() const { return int(std::trunc(double(m_cursor) * 20.833334)); }

int CProfileData::GetCursorPos(int width) const { return m_cursor * width / kMinutes; }

void CProfileData::GetTimeWindow(CTime& start, int& span) const
{
    start = m_date;
    span = kDaySeconds;
}

void CProfileData::GetFormats(QString& current, QString& voltage, QString& power) const
{
    current = m_currentFormat;
    voltage = m_voltageFormat;
    power = m_powerFormat;
}

QString CProfileData::GetTitle() const
{
    QString title = platform::LoadString(m_kind == 1 ? platform::IDS_PROFILE_TITLE_MAX
                                                     : platform::IDS_PROFILE_TITLE_SELECTED);
    const qsizetype first = title.indexOf(QStringLiteral("%s"));
    if (first >= 0)
        title.replace(first, 2, m_header);
    const qsizetype second = title.indexOf(QStringLiteral("%s"), first < 0 ? 0 : first + m_header.size());
    if (second >= 0)
        title.replace(second, 2, m_date.Format(QStringLiteral("%d.%m.%y")));
    return title;
}

const QString& CProfileData::NoValueText()
{
    static const QString text = QStringLiteral("--");
    return text;
}

const QString& CProfileData::NotMeasuredText()
{
    static const QString text = QStringLiteral("-N-");
    return text;
}

CProfileValueTexts CProfileData::ValueTextsHead() const
{
    CProfileValueTexts t;
    t.voltageCaption = (m_connection == 2 ? QStringLiteral("U L-L[") : QStringLiteral("U L-N["))
                       + (m_voltageMultiplier == 1 ? QStringLiteral("V]") : QStringLiteral("kV]"));
    t.currentCaption = m_currentMultiplier == 1 ? QStringLiteral("I[A]") : QStringLiteral("I[kA]");
    t.time = MinuteTime(m_cursor).Format(QStringLiteral("%d.%m.%y %H:%M:%S"));
    t.values.assign(std::size_t(m_quantityCount), NoValueText());
    return t;
}
