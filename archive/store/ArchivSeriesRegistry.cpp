#include "archive/store/ArchivSeriesRegistry.h"

#include "model/QuantityNames.h"

#include <algorithm>

std::span<const QStringView> SeriesNamesOfKind(int kind)
{
    switch (kind) {
    case kFamilyQorin:
        return ControllerCurveNames;
    case kFamilyVK:
        return VKQuantityNames;
    case kFamilyVKR:
        return VKRQuantityNames;
    case kFamilyVKT:
        return VKTQuantityNames;
    case kFamilyDuskar:
        // The controllers' last name is empty and never a series.
        return std::span<const QStringView>(ControllerQuantityNames).first(ControllerQuantityNames.size() - 1);
    default:
        return {};
    }
}

CGraphTrace* CArchivSeriesRegistry::FindGraphSeries(QStringView name) const
{
    for (const auto& s : m_series)
        if (s->Name() == name)
            return s.get();
    return nullptr;
}

void CArchivSeriesRegistry::SetGroupRange(const QString& group, float maximum, float minimum,
                                          const CGraphTrace* except)
{
    for (const auto& s : m_series)
        if (s.get() != except && s->Group() == group)
            s->SetRange(maximum, minimum, true);
}

bool CArchivSeriesRegistry::AddGraphSeries(const QString& name, const QString& unit, const QString& group,
                                           std::uint32_t colour, float defaultMaximum, float defaultMinimum)
{
    if (FindGraphSeries(name))
        return false;
    auto series = std::make_unique<CGraphTrace>(name, unit, group, colour, defaultMaximum, defaultMinimum);
    const auto member = std::find_if(m_series.begin(), m_series.end(),
                                     [&group](const auto& s) { return s->Group() == group; });
    if (member != m_series.end()) {
        const CGraphTrace& first = **member;
        if (first.Maximum() >= defaultMaximum && first.Minimum() <= defaultMinimum) {
            series->SetRange(first.Maximum(), first.Minimum(), false);
        } else {
            const float maximum = std::max(first.Maximum(), defaultMaximum);
            const float minimum = std::min(first.Minimum(), defaultMinimum);
            series->SetRange(maximum, minimum, false);
            SetGroupRange(group, maximum, minimum, nullptr);
        }
    }
    series->Rescale(m_origin, m_span, false);
    m_series.push_back(std::move(series));
    return true;
}

bool CArchivSeriesRegistry::RemoveGraphSeries(const QString& name)
{
    const auto it = std::find_if(m_series.begin(), m_series.end(), [&name](const auto& s) { return s->Name() == name; });
    if (it == m_series.end())
        return false;
    const QString group = (*it)->Group();
    m_series.erase(it);
    float maximum = -1000000.0f;
    float minimum = 1000000.0f;
    bool any = false;
    for (const auto& s : m_series)
        if (s->Group() == group) {
            maximum = std::max(maximum, s->DefaultMaximum());
            minimum = std::min(minimum, s->DefaultMinimum());
            any = true;
        }
    if (any)
        SetGroupRange(group, maximum, minimum, nullptr);
    return true;
}

void CArchivSeriesRegistry::DeleteAllSeries()
{
    m_series.clear();
}

void CArchivSeriesRegistry::SetSeriesScale(const QString& name, double minimum, double maximum)
{
    CGraphTrace* series = FindGraphSeries(name);
    if (!series)
        return;
    const float max = float(maximum);
    const float min = float(minimum);
    if (series->DefaultMaximum() == max && series->DefaultMinimum() == min)
        return;
    series->SetDefaultRange(max, min);
    float mergedMax = max;
    float mergedMin = min;
    for (const auto& s : m_series)
        if (s->Group() == series->Group()) {
            mergedMax = std::max(mergedMax, s->DefaultMaximum());
            mergedMin = std::min(mergedMin, s->DefaultMinimum());
        }
    SetGroupRange(series->Group(), mergedMax, mergedMin, nullptr);
}

bool CArchivSeriesRegistry::SetSeriesUnit(const QString& name, const QString& unit, int divisor)
{
    CGraphTrace* series = FindGraphSeries(name);
    if (series)
        series->SetUnit(unit, divisor);
    return series != nullptr;
}

bool CArchivSeriesRegistry::SetSeriesColour(const QString& name, std::uint32_t colour)
{
    CGraphTrace* series = FindGraphSeries(name);
    if (series)
        series->SetColour(colour);
    return series != nullptr;
}

int CArchivSeriesRegistry::SetSeriesOption(const QString& name, int value)
{
    CGraphTrace* series = FindGraphSeries(name);
    if (!series)
        return 0;
    if (series->Option() == value)
        return 1;
    series->SetOption(value);
    return 0;
}

void CArchivSeriesRegistry::SetGraphTimeBase(platform::CTime origin, int span)
{
    m_origin = origin;
    m_span = span;
}

std::vector<CGraphTrace*> CArchivSeriesRegistry::FamilySeries(int kind) const
{
    std::vector<CGraphTrace*> out;
    for (QStringView name : SeriesNamesOfKind(kind))
        if (CGraphTrace* s = FindGraphSeries(name))
            out.push_back(s);
    return out;
}

void CArchivSeriesRegistry::SetSeriesTimeBase(int kind, platform::CTime origin, int span, bool rescale, bool roll)
{
    for (CGraphTrace* s : FamilySeries(kind)) {
        if (roll)
            s->RollChannels();
        s->Rescale(origin, span, rescale);
    }
}

void CArchivSeriesRegistry::FreeSeriesPoints(int kind)
{
    for (CGraphTrace* s : FamilySeries(kind))
        s->FreePoints();
}

void CArchivSeriesRegistry::FreeAllPoints()
{
    for (const auto& s : m_series)
        s->FreePoints();
}

void CArchivSeriesRegistry::SizeSeriesChannel(int kind, int channel, int count)
{
    for (CGraphTrace* s : FamilySeries(kind))
        s->SetPointCount(channel, count);
}

void CArchivSeriesRegistry::DecimateSeries(int kind, int perColumn)
{
    for (CGraphTrace* s : FamilySeries(kind))
        s->Decimate(perColumn);
}
