#pragma once

#include <QString>

// The graph series that the store's scale updates reach: series are
// registered by quantity name ("U1", "3P" ...) by the graph windows; a name
// without a series is passed over by the registry.
class IArchivSeriesRegistry {
public:
    virtual ~IArchivSeriesRegistry() = default;

    // Sets the unit text of every series registered under the name.
    virtual void SetSeriesText(const QString& name, const QString& text) = 0;
    // Sets the value range of every series registered under the name.
    virtual void SetSeriesScale(const QString& name, double minimum, double maximum) = 0;
};
