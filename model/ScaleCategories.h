#pragma once

#include "model/PrevodTyp.h"

#include <QString>

#include <vector>

namespace platform {
class Settings;
}

// Axis ranges of graphs and bars: one (minimum, maximum) pair per quantity
// category of an instrument family, and a flag that chooses the family's
// default ranges (scaled by a ratio or nominal value) instead of the stored
// pairs. Types: 1 Qorin, 2 VK, 3 VKR, 4 VKT, 5 Duskar.
class CScaleCategories {
public:
    // No values, automatic.
    CScaleCategories() = default;
    // The type's default pairs, automatic; any other type gives no values.
    explicit CScaleCategories(int type);
    CScaleCategories(const CScaleCategories&) = default;
    CScaleCategories& operator=(const CScaleCategories&) = default;
    virtual ~CScaleCategories() = default;

    // count floats, two per category (minimum first).
    void Set(BOOL autoFlag, int count, const float* values);
    // values must hold GetCount() floats.
    void Get(BOOL& autoFlag, int& count, float* values) const;

    // FALSE (and nothing changed) for a category that the set does not hold.
    BOOL SetRange(int category, float minimum, float maximum);
    BOOL GetRange(int category, float& minimum, float& maximum) const;
    // Automatic: the type's default pair times factor; otherwise the stored
    // pair as it is. FALSE (outputs untouched) for an unknown category.
    BOOL GetEffectiveRange(int category, int type, double& minimum, double& maximum, double factor) const;

    BOOL GetAuto() const { return m_auto; }
    void SetAuto(BOOL autoFlag) { m_auto = autoFlag ? TRUE : FALSE; }
    int GetCount() const { return int(m_values.size()); }
    const float* GetValues() const { return m_values.empty() ? nullptr : m_values.data(); }

    // Settings values of a type in "Obecne nastaveni": the family word
    // ("qorin", "VK" for types 2 and 3, "VKT", "duskar") followed by
    // "PocetKat" (float count), "Ketegorie" (the floats, little-endian) and
    // "Auto". Empty for an unknown type.
    static QString SettingsPrefix(int type);
    // Stored set of the type, or its defaults when none is stored or the
    // stored floats do not match the stored count.
    void LoadFromSettings(int type, const platform::Settings& settings);
    BOOL SaveToSettings(int type, platform::Settings& settings) const;

    friend bool operator==(const CScaleCategories&, const CScaleCategories&) = default;

private:
    std::vector<float> m_values;
    BOOL m_auto = TRUE;
};
