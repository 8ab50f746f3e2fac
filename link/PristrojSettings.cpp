#include "link/Pristroj.h"

#include <QCoreApplication>
#include <QDir>

namespace {

const QString kGeneral = QStringLiteral("Obecne nastaveni");

// Where an instrument without an archive path records: the data folder,
// with the instrument's own sub-folder when sub-folders are used.
QString DefaultArchivePath(const platform::Settings& settings, const QString& name)
{
    const QString program =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    const QString folder = settings.GetProfileString(kGeneral, QStringLiteral("adresar"),
                                                     program + QDir::separator() + QStringLiteral("mereni"));
    QString path = folder + QDir::separator() + name;
    if (settings.GetProfileInt(kGeneral, QStringLiteral("pouzivat podadresare"), 1))
        path += QDir::separator() + name;
    return path;
}

} // namespace

void CPristroj::LoadSettings(const platform::Settings& settings, const QString& name)
{
    const platform::SettingsSection key{QStringLiteral("pristroje"), name};
    auto getInt = [&](const char* entry, int def) { return settings.GetProfileInt(key, QString::fromLatin1(entry), def); };
    auto getString = [&](const char* entry, const QString& def) {
        return settings.GetProfileString(key, QString::fromLatin1(entry), def);
    };

    m_nazev = name;
    m_merit = getInt("merit", 0);
    m_adresa = short(getInt("adresa", 1));
    m_com = getString("com", QStringLiteral("COM1"));
    m_telCislo = getString("telCislo", QString());
    m_zobrazovat = getInt("zobrazovat", 0);
    m_zaznamenavat = getInt("zaznamenavat", 0);
    m_soubor = getString("soubor", QString());
    if (m_soubor.isEmpty())
        m_soubor = DefaultArchivePath(settings, name);
    m_intervalMereni = getInt("intervalMereni", 10);
    m_intervalZapisovani = getInt("intervalZapisovani", 30);
    m_synchronizovat = getInt("synchronizovat", 0);
    m_maska.store(DWORD(getInt("maska", 255)));
    m_intervalPrepisovani = getInt("intervalPrepisovani", 604800);
    m_prepisovat = getInt("prepisovat", 1);
    m_onp = getInt("ONP", 0);
    SetType(getInt("kat", 1), FALSE);
    SetBexorInterval(getInt("intervalBexor", 0), FALSE);
}

void CPristroj::SaveSettings(platform::Settings& settings) const
{
    const platform::SettingsSection key{QStringLiteral("pristroje"), m_nazev};
    auto putInt = [&](const char* entry, int value) { settings.WriteProfileInt(key, QString::fromLatin1(entry), value); };
    auto putString = [&](const char* entry, const QString& value) {
        settings.WriteProfileString(key, QString::fromLatin1(entry), value);
    };

    putInt("merit", m_merit);
    putInt("adresa", m_adresa);
    putString("com", m_com);
    putString("telCislo", m_telCislo);
    putInt("zobrazovat", m_zobrazovat);
    putInt("synchronizovat", m_synchronizovat);
    putInt("zaznamenavat", m_zaznamenavat);
    putString("soubor", m_soubor);
    putInt("intervalPrepisovani", m_intervalPrepisovani);
    putInt("intervalMereni", m_intervalMereni);
    putInt("intervalZapisovani", m_intervalZapisovani);
    putInt("intervalBexor", GetBexorInterval());
    putInt("prepisovat", m_prepisovat);
    putInt("ONP", m_onp);
    putInt("kat", m_type);
    putInt("maska", int(m_maska.load()));
}
