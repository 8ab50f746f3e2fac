#pragma once

#include <QString>

// The graph series that the store's scale updates reach: series are
// registered by quantity name ("U1", "3P" ...) by the graph windows. The
// store only asks whether a name has a series and sets its unit and range.
class IArchivSeriesRegistry {
public:
    virtual ~IArchivSeriesRegistry() = default;

    // True when a series of that quantity name is registered; its unit text
    // becomes `unit`.
    virtual bool GetSeriesText(const QString& name, const QString& unit) = 0;
    // Sets the value range of every series registered under the name.
    virtual void SetSeriesScale(const QString& name, double minimum, double maximum) = 0;
};
