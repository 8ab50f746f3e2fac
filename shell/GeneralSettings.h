#pragma once

#include "platform/Settings.h"
#include "platform/ThreadMessages.h"

#include <QString>

#include <climits>

// The values of section "Obecne nastaveni" that the application object and
// its main frame keep: window and bars, data folder, archive time span and
// how the instruments start. The ports' own values live with the port list.
class CGeneralSettings {
public:
    // The window position and size that let the window system choose.
    static constexpr int kDefaultPlacement = INT_MIN;
    static constexpr int kArchiveIntervalCount = 13;
    static constexpr int kDefaultArchiveInterval = 1;

    // Seconds of the archive time span with that index, -1 for the whole
    // record; an index outside the table gives the default span.
    static int ArchiveIntervalSeconds(int index);

    static const platform::SettingsSection& Section();

    // `programFolder`: the current folder at start-up, the parent of the
    // default data folder.
    explicit CGeneralSettings(const QString& programFolder);

    void Load(const platform::Settings& settings);

    // What the exit writes: the instrument counter, the sub-folder flag and
    // the data folder, in that order.
    bool SaveOnExit(platform::Settings& settings) const;
    // What the common page of the settings sheet writes.
    bool SaveCommonPage(platform::Settings& settings) const;
    // What the main frame writes when it closes.
    bool SaveFrame(platform::Settings& settings) const;
    bool SaveLastPath(platform::Settings& settings) const;

    QString DefaultDataFolder() const;
    int GetArchiveIntervalSeconds() const { return ArchiveIntervalSeconds(m_archivInterval); }
    // Whether the instruments marked to measure start at start-up, and the
    // message that activates them.
    bool StartsInstruments() const { return m_spustitPriStartu != 0; }
    platform::MessageId ActivationMessage() const;

    // main frame
    int m_maximize = 1;
    int m_x = kDefaultPlacement;
    int m_y = kDefaultPlacement;
    int m_cx = kDefaultPlacement;
    int m_cy = kDefaultPlacement;
    int m_isGrafBar = 1;
    int m_isOvlBar = 1;
    int m_isMereniBar = 1;
    int m_isPristrojBar = 1;

    // application
    int m_pocetPristroju = 0;
    QString m_adresar;
    int m_pouzivatPodadresare = 1;
    int m_archivInterval = kDefaultArchiveInterval;
    int m_spustitPriStartu = 2;
    int m_prehrat = 1;
    int m_restartovat = 1;
    QString m_posledniPath;
    QString m_pristrojProTQRS;

private:
    QString m_programFolder;
};
