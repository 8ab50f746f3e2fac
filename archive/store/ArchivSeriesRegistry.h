#pragma once

#include "charts_core/GraphTrace.h"
#include "platform/Time32.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// The graph series that the store's scale updates reach: series are
// registered by quantity name ("U1", "3P" ...) by the graph windows; a name
// without a series is passed over by the registry.
class IArchivSeriesRegistry {
public:
    virtual ~IArchivSeriesRegistry() = default;

    // Sets the unit text of every series registered under the name, with the
    // divisor its prefix stands for (1 for a base unit, 1000 for kilo ...):
    // the series keeps base units, its axis is labelled in the unit's.
    virtual void SetSeriesText(const QString& name, const QString& text, int divisor) = 0;
    // Sets the value range of every series registered under the name.
    virtual void SetSeriesScale(const QString& name, double minimum, double maximum) = 0;
};

// Family kinds of an archive: the instrument type minus one.
enum ArchivFamilyKind : int {
    kFamilyQorin = 0,
    kFamilyVK = 1,
    kFamilyVKR = 2,
    kFamilyVKT = 3,
    kFamilyDuskar = 4,
};

// The quantity names a family's graphs draw, in the order every whole-family
// operation walks them; empty for an unknown kind.
std::span<const QStringView> SeriesNamesOfKind(int kind);

// The graph series of one archive-data object, in order of registration and
// keyed by name. Series of one group key share one value range: after every
// operation the members of a group have the same current range, wide enough
// for the default range of each of them. Used from the main thread.
class CArchivSeriesRegistry : public IArchivSeriesRegistry {
public:
    // FALSE (nothing created) when the name is already registered.
    bool AddGraphSeries(const QString& name, const QString& unit, const QString& group, std::uint32_t colour,
                        float defaultMaximum, float defaultMinimum);
    bool RemoveGraphSeries(const QString& name);
    CGraphTrace* FindGraphSeries(QStringView name) const;
    void DeleteAllSeries();
    int Count() const { return int(m_series.size()); }

    // A new default range for the series and the group's range widened or
    // narrowed to its members' defaults (points follow).
    void SetSeriesScale(const QString& name, double minimum, double maximum) override;
    void SetSeriesText(const QString& name, const QString& text, int divisor) override
    {
        SetSeriesUnit(name, text, divisor);
    }
    bool SetSeriesUnit(const QString& name, const QString& unit, int divisor = 1);
    bool SetSeriesColour(const QString& name, std::uint32_t colour);
    // 1 when the series had that value already; 0 when it changed or there
    // is no such series.
    int SetSeriesOption(const QString& name, int value);

    // The time base new series start with.
    void SetGraphTimeBase(platform::CTime origin, int span);
    platform::CTime GraphOrigin() const { return m_origin; }
    int GraphSpan() const { return m_span; }

    // The series of the family's names, in the table's order; an unregistered
    // name gives no entry.
    std::vector<CGraphTrace*> FamilySeries(int kind) const;
    // Whole-family operations. The time base: with `roll` the oldest channel
    // goes first; with `rescale` the points move to the new base.
    void SetSeriesTimeBase(int kind, platform::CTime origin, int span, bool rescale, bool roll);
    void FreeSeriesPoints(int kind);
    // The points of every registered series, of any family's names.
    void FreeAllPoints();
    void SizeSeriesChannel(int kind, int channel, int count);
    void DecimateSeries(int kind, int perColumn);

private:
    void SetGroupRange(const QString& group, float maximum, float minimum, const CGraphTrace* except);

    std::vector<std::unique_ptr<CGraphTrace>> m_series;
    platform::CTime m_origin;
    int m_span = 0;
};
