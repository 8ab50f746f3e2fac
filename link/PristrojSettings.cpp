#include "link/Pristroj.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

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
    // Beyond the field's range the value is held at its end, so the check
    // below refuses it rather than a wrapped one passing.
    m_adresa = short(std::clamp(getInt("adresa", 1), -32768, 32767));
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
    // Checked where read: an instrument whose settings cannot run starts
    // inactive, with a notice, and the others start. Its folder is looked at
    // when it starts (a drive may come later than the program).
    if (m_merit)
        KeepInactiveIfUnrunnable(false);
}

std::vector<std::pair<QString, QVariant>> CPristroj::SavedValues() const
{
    auto n = [](const char* name) { return QString::fromLatin1(name); };
    return {{n("merit"), int(m_merit)},
            {n("adresa"), int(m_adresa)},
            {n("com"), m_com},
            {n("telCislo"), m_telCislo},
            {n("zobrazovat"), int(m_zobrazovat)},
            {n("synchronizovat"), int(m_synchronizovat)},
            {n("zaznamenavat"), int(m_zaznamenavat)},
            {n("soubor"), m_soubor},
            {n("intervalPrepisovani"), m_intervalPrepisovani},
            {n("intervalMereni"), m_intervalMereni},
            {n("intervalZapisovani"), m_intervalZapisovani},
            {n("intervalBexor"), GetBexorInterval()},
            {n("prepisovat"), int(m_prepisovat)},
            {n("ONP"), int(m_onp)},
            {n("kat"), m_type},
            {n("maska"), int(m_maska.load())}};
}

void CPristroj::SaveSettings(platform::Settings& settings) const
{
    const platform::SettingsSection key{QStringLiteral("pristroje"), m_nazev};
    for (const auto& [name, value] : SavedValues()) {
        if (value.typeId() == QMetaType::QString)
            settings.WriteProfileString(key, name, value.toString());
        else
            settings.WriteProfileInt(key, name, value.toInt());
    }
}
