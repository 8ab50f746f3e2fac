#include "link/Pristroj.h"

#include "archive/store/ArchivSettingsCheck.h"

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
    m_unreadValues.clear();
    // `low`..`high`: what the value may be, for the message (low > high: any number).
    auto getInt = [&](const char* entry, int def, int low, int high) {
        const QString value = QString::fromLatin1(entry);
        const platform::StoredInt stored = settings.ReadProfileInt(key, value);
        if (stored.state == platform::StoredInt::State::Number)
            return stored.value;
        if (stored.state == platform::StoredInt::State::Unreadable)
            m_unreadValues.push_back({value, stored.text, def, low, high});
        return def;
    };
    auto getFlag = [&](const char* entry, int def) { return getInt(entry, def, 0, 1); };
    auto getString = [&](const char* entry, const QString& def) {
        return settings.GetProfileString(key, QString::fromLatin1(entry), def);
    };

    m_nazev = name;
    m_merit = getFlag("merit", 0);
    // Beyond the field's range the value is held at its end, so the check
    // below refuses it rather than a wrapped one passing.
    m_adresa = short(std::clamp(getInt("adresa", 1, kMinAddress, kMaxAddress), -32768, 32767));
    m_com = getString("com", QStringLiteral("COM1"));
    m_telCislo = getString("telCislo", QString());
    m_zobrazovat = getFlag("zobrazovat", 0);
    m_zaznamenavat = getFlag("zaznamenavat", 0);
    m_soubor = getString("soubor", QString());
    if (m_soubor.isEmpty())
        m_soubor = DefaultArchivePath(settings, name);
    m_intervalMereni =
        getInt("intervalMereni", 10, archive::kMinMeasuringInterval, archive::kMaxMeasuringInterval);
    m_intervalZapisovani =
        getInt("intervalZapisovani", 30, archive::kMinRecordsPerBlock, archive::kMaxRecordsPerBlock);
    m_synchronizovat = getFlag("synchronizovat", 0);
    m_maska.store(DWORD(getInt("maska", 255, 0, kMaxValueMask)));
    m_intervalPrepisovani =
        getInt("intervalPrepisovani", 604800, archive::kMinOverwritePeriod, archive::kMaxOverwritePeriod);
    m_prepisovat = getFlag("prepisovat", 1);
    m_onp = getFlag("ONP", 0);
    SetType(getInt("kat", 1, kQorin, kDuskar), FALSE);
    SetBexorInterval(getInt("intervalBexor", 0, 1, 0), FALSE);
    // A value the file holds as no number would silently run the instrument
    // on the default in its place: it is told, whether or not the instrument
    // was to measure.
    if (!m_unreadValues.empty()) {
        KeepInactive(CheckSettings(false));
        return;
    }
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
        // The text that could not be read stays for the user to mend, as
        // long as nothing took the place of the default that stands in for it.
        const auto unread = std::find_if(m_unreadValues.begin(), m_unreadValues.end(),
                                         [&name](const UnreadValue& v) { return v.entry == name; });
        if (unread != m_unreadValues.end() && value.toInt() == unread->substituted) {
            const platform::StoredInt stored = settings.ReadProfileInt(key, name);
            if (stored.state == platform::StoredInt::State::Unreadable && stored.text == unread->text)
                continue;
        }
        if (value.typeId() == QMetaType::QString)
            settings.WriteProfileString(key, name, value.toString());
        else
            settings.WriteProfileInt(key, name, value.toInt());
    }
}
