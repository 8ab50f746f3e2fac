#include "shell/GeneralSettings.h"

#include <QDir>

#include <array>

namespace {

// The spans offered on the common page, "celý záznam", 15 min .. 1 month.
// The month is 30 days, as the add-instrument dialog counts it.
constexpr std::array<int, CGeneralSettings::kArchiveIntervalCount> kArchiveIntervals = {
    -1, 900, 1800, 3600, 7200, 21600, 28800, 43200, 86400, 172800, 604800, 1209600, 2592000};

bool IsArchiveIntervalIndex(int index)
{
    return index >= 0 && index < CGeneralSettings::kArchiveIntervalCount;
}

// Writes each value in turn; false when any write failed.
class Writer {
public:
    explicit Writer(platform::Settings& settings) : m_settings(settings) {}
    void Int(const char* name, int value)
    {
        m_ok = m_settings.WriteProfileInt(CGeneralSettings::Section(), QString::fromLatin1(name), value) && m_ok;
    }
    void String(const char* name, const QString& value)
    {
        m_ok = m_settings.WriteProfileString(CGeneralSettings::Section(), QString::fromLatin1(name), value) && m_ok;
    }
    bool Ok() const { return m_ok; }

private:
    platform::Settings& m_settings;
    bool m_ok = true;
};

} // namespace

int CGeneralSettings::ArchiveIntervalSeconds(int index)
{
    return kArchiveIntervals[IsArchiveIntervalIndex(index) ? index : kDefaultArchiveInterval];
}

const platform::SettingsSection& CGeneralSettings::Section()
{
    static const platform::SettingsSection section(QStringLiteral("Obecne nastaveni"));
    return section;
}

CGeneralSettings::CGeneralSettings(const QString& programFolder)
    : m_programFolder(programFolder)
{
    m_adresar = DefaultDataFolder();
}

QString CGeneralSettings::DefaultDataFolder() const
{
    return m_programFolder + QDir::separator() + QStringLiteral("mereni");
}

void CGeneralSettings::Load(const platform::Settings& settings)
{
    auto getInt = [&](const char* name, int def) {
        return settings.GetProfileInt(Section(), QString::fromLatin1(name), def);
    };
    auto getString = [&](const char* name, const QString& def) {
        return settings.GetProfileString(Section(), QString::fromLatin1(name), def);
    };

    m_maximize = getInt("maximize", 1);
    m_x = getInt("x", kDefaultPlacement);
    m_y = getInt("y", kDefaultPlacement);
    m_cx = getInt("cx", kDefaultPlacement);
    m_cy = getInt("cy", kDefaultPlacement);
    m_isGrafBar = getInt("isGrafBar", 1);
    m_isOvlBar = getInt("isOvlBar", 1);
    m_isMereniBar = getInt("isMereniBar", 1);
    m_isPristrojBar = getInt("isPristrojBar", 1);

    m_spustitPriStartu = getInt("spustit pri startu", 2);
    m_pocetPristroju = getInt("pocet pristroju", 0);
    m_pouzivatPodadresare = getInt("pouzivat podadresare", 1);
    m_adresar = getString("adresar", DefaultDataFolder());
    m_archivInterval = getInt("archiv interval", kDefaultArchiveInterval);
    // An index the table does not have would select no choice on the common
    // page and no span in the archive windows.
    if (!IsArchiveIntervalIndex(m_archivInterval))
        m_archivInterval = kDefaultArchiveInterval;
    m_prehrat = getInt("prehrat", 1);
    m_restartovat = getInt("restartovat", 1);
    m_posledniPath = getString("posledniPath", QString());
    m_pristrojProTQRS = getString("pristrojProTQRS", QString());
}

bool CGeneralSettings::SaveOnExit(platform::Settings& settings) const
{
    Writer write(settings);
    write.Int("pocet pristroju", m_pocetPristroju);
    write.Int("pouzivat podadresare", m_pouzivatPodadresare);
    write.String("adresar", m_adresar);
    return write.Ok();
}

bool CGeneralSettings::SaveCommonPage(platform::Settings& settings) const
{
    Writer write(settings);
    write.String("adresar", m_adresar);
    write.Int("pouzivat podadresare", m_pouzivatPodadresare);
    write.Int("archiv interval", m_archivInterval);
    write.Int("spustit pri startu", m_spustitPriStartu);
    write.Int("prehrat", m_prehrat);
    write.Int("restartovat", m_restartovat);
    return write.Ok();
}

bool CGeneralSettings::SaveFrame(platform::Settings& settings) const
{
    Writer write(settings);
    write.Int("maximize", m_maximize);
    write.Int("x", m_x);
    write.Int("y", m_y);
    write.Int("cx", m_cx);
    write.Int("cy", m_cy);
    write.Int("isGrafBar", m_isGrafBar);
    write.Int("isOvlBar", m_isOvlBar);
    write.Int("isMereniBar", m_isMereniBar);
    write.Int("isPristrojBar", m_isPristrojBar);
    return write.Ok();
}

bool CGeneralSettings::SaveLastPath(platform::Settings& settings) const
{
    Writer write(settings);
    write.String("posledniPath", m_posledniPath);
    return write.Ok();
}

platform::MessageId CGeneralSettings::ActivationMessage() const
{
    return m_spustitPriStartu == 1 ? platform::WM_DEVICE_ACTIVATE_RECORD_SYNC : platform::WM_DEVICE_ACTIVATE_RECORD;
}
