#include "model/ScaleCategories.h"
#include "model/ScaleCategorySection.h"

#include "platform/Settings.h"

#include <array>
#include <cstring>
#include <span>

namespace {

constexpr std::array<float, 6> kQorinDefaults = {0, 2, -8, 8, 0, 800};
constexpr std::array<float, 14> kVKDefaults = {0, 500, 0, 10, 0, 2, 40, 85, -4000, 4000, 0, 200, 0, 100};
constexpr std::array<float, 16> kVKTDefaults = {0, 500, 0, 10, 0, 2, 40, 85, -4000, 4000, 0, 200, 0, 100, 0, 2};

const char* const kSection = "Obecne nastaveni";

// The stored floats, little-endian; false when the bytes do not hold
// `count` of them.
bool ParseFloats(const QByteArray& bytes, int count, std::vector<float>& out)
{
    if (count <= 0 || bytes.size() / 4 != count)
        return false;
    out.assign(static_cast<std::size_t>(count), 0.f);
    for (int i = 0; i < count; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + 4 * i;
        const DWORD bits = DWORD(p[0]) | (DWORD(p[1]) << 8) | (DWORD(p[2]) << 16) | (DWORD(p[3]) << 24);
        std::memcpy(&out[static_cast<std::size_t>(i)], &bits, 4);
    }
    return true;
}

QByteArray FloatBytes(std::span<const float> values)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(values.size() * 4));
    for (float v : values) {
        DWORD bits;
        std::memcpy(&bits, &v, 4);
        for (int i = 0; i < 4; ++i)
            bytes.append(char(bits >> (8 * i)));
    }
    return bytes;
}

// Defaults of a type as the effective range sees them: every type that is
// not an analyser falls back to the Qorin table.
std::span<const float> EffectiveDefaults(int type)
{
    switch (type) {
    case 4:
        return kVKTDefaults;
    case 2:
    case 3:
    case 5:
        return kVKDefaults;
    default:
        return kQorinDefaults;
    }
}

} // namespace

CScaleCategories::CScaleCategories(int type)
{
    if (type >= 1 && type <= 5) {
        const std::span<const float> d = EffectiveDefaults(type);
        m_values.assign(d.begin(), d.end());
    }
}

void CScaleCategories::Set(BOOL autoFlag, int count, const float* values)
{
    m_auto = autoFlag ? TRUE : FALSE;
    // resize keeps the array when the count is unchanged.
    m_values.resize(std::size_t(count > 0 ? count : 0));
    if (values && !m_values.empty())
        std::memcpy(m_values.data(), values, m_values.size() * sizeof(float));
    else
        std::fill(m_values.begin(), m_values.end(), 0.0f);
}

void CScaleCategories::Get(BOOL& autoFlag, int& count, float* values) const
{
    autoFlag = m_auto;
    count = GetCount();
    if (values && !m_values.empty())
        std::memcpy(values, m_values.data(), m_values.size() * sizeof(float));
}

BOOL CScaleCategories::SetRange(int category, float minimum, float maximum)
{
    if (category < 0 || category >= GetCount() / 2)
        return FALSE;
    m_values[std::size_t(2 * category)] = minimum;
    m_values[std::size_t(2 * category + 1)] = maximum;
    return TRUE;
}

BOOL CScaleCategories::GetRange(int category, float& minimum, float& maximum) const
{
    if (category < 0 || category >= GetCount() / 2)
        return FALSE;
    minimum = m_values[std::size_t(2 * category)];
    maximum = m_values[std::size_t(2 * category + 1)];
    return TRUE;
}

BOOL CScaleCategories::GetEffectiveRange(int category, int type, double& minimum, double& maximum,
                                         double factor) const
{
    if (!m_auto) {
        float lo;
        float hi;
        if (!GetRange(category, lo, hi))
            return FALSE;
        minimum = lo;
        maximum = hi;
        return TRUE;
    }
    const std::span<const float> d = EffectiveDefaults(type);
    if (category < 0 || std::size_t(category) >= d.size() / 2)
        return FALSE;
    minimum = d[std::size_t(2 * category)] * factor;
    maximum = d[std::size_t(2 * category + 1)] * factor;
    return TRUE;
}

QString CScaleCategories::SettingsPrefix(int type)
{
    switch (type) {
    case 1:
        return QStringLiteral("qorin");
    case 2:
    case 3:
        return QStringLiteral("VK");
    case 4:
        return QStringLiteral("VKT");
    case 5:
        return QStringLiteral("duskar");
    default:
        return QString();
    }
}

void CScaleCategories::LoadFromSettings(int type, const platform::Settings& settings)
{
    const QString prefix = SettingsPrefix(type);
    const int count = prefix.isEmpty() ? 0 : settings.GetProfileInt(kSection, prefix + QLatin1String("PocetKat"), 0);
    const QByteArray bytes =
        count != 0 ? settings.GetProfileBinary(kSection, prefix + QLatin1String("Ketegorie")) : QByteArray();
    std::vector<float> values;
    if (ParseFloats(bytes, count, values)) {
        Set(settings.GetProfileInt(kSection, prefix + QLatin1String("Auto"), 1), count, values.data());
        return;
    }
    *this = CScaleCategories(type);
}

BOOL CScaleCategories::SaveToSettings(int type, platform::Settings& settings) const
{
    const QString prefix = SettingsPrefix(type);
    if (prefix.isEmpty())
        return FALSE;
    bool ok = settings.WriteProfileInt(kSection, prefix + QLatin1String("PocetKat"), GetCount());
    ok = settings.WriteProfileInt(kSection, prefix + QLatin1String("Auto"), m_auto) && ok;
    ok = settings.WriteProfileBinary(kSection, prefix + QLatin1String("Ketegorie"), FloatBytes(m_values)) && ok;
    return ok ? TRUE : FALSE;
}

BOOL LoadScaleCategories(CScaleCategories& categories, const platform::Settings& settings,
                         const platform::SettingsSection& section)
{
    const int count = settings.GetProfileInt(section, QStringLiteral("pocetKat"), 0);
    const int autoFlag = settings.GetProfileInt(section, QStringLiteral("auto"), 1);
    if (count == 0) {
        categories.SetAuto(autoFlag);
        return TRUE;
    }
    std::vector<float> values;
    if (!ParseFloats(settings.GetProfileBinary(section, QStringLiteral("ketegorie")), count, values))
        return FALSE;
    categories.Set(autoFlag, count, values.data());
    return TRUE;
}

void SaveScaleCategories(const CScaleCategories& categories, platform::Settings& settings,
                         const platform::SettingsSection& section)
{
    settings.WriteProfileInt(section, QStringLiteral("pocetKat"), categories.GetCount());
    settings.WriteProfileInt(section, QStringLiteral("auto"), categories.GetAuto());
    if (categories.GetCount() > 0) {
        const std::span<const float> values(categories.GetValues(), std::size_t(categories.GetCount()));
        settings.WriteProfileBinary(section, QStringLiteral("ketegorie"), FloatBytes(values));
    }
}
