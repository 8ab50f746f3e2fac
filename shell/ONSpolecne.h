#pragma once

#include "platform/ui/PropertySheet.h"
#include "shell/DeviceRegistry.h"

#include <QString>

#include <vector>

class CGeneralSettings;
class CPortList;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabBar;

// The common page of the general settings: data folder, start-up, archive
// time span, and the values of every communication port and modem line.
class CONSpolecne : public ui::CPropertyPage {
    Q_OBJECT
public:
    // What the page reads and changes of the application.
    struct Context {
        CGeneralSettings& general;
        CPortList& ports;
        platform::Settings& settings;
        CDeviceRegistry::InstrumentList& instruments;
        // Where a modem line's changed values take effect at once.
        CLinkManager* linkManager = nullptr;
    };

    // One port's values as shown, and as loaded.
    struct PortSlot {
        QString name;
        QString description;
        int kind = 0;
        int baud = 9600;
        int character = 0; // line character, or bus-speed index of a bus port
        int reconnect = -1; // modem lines only
        int loadedBaud = 0;
        int loadedCharacter = 0;
        int loadedReconnect = -1;
        bool Changed() const
        {
            return baud != loadedBaud || character != loadedCharacter || reconnect != loadedReconnect;
        }
    };

    static const std::vector<int>& BaudRates();
    static const QStringList& BaudTexts();
    static const QStringList& BusSpeedTexts();

    explicit CONSpolecne(const Context& context, QWidget* parent = nullptr);

    void Load();
    void Apply();

    void OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;

    const std::vector<PortSlot>& Ports() const { return m_ports; }
    QString DataFolder() const { return m_adresar; }

    template <class T>
    T* Control(int id) const
    {
        return findChild<T*>(QString::number(id));
    }

    // The folder without blanks around it and without a trailing separator.
    static QString TrimFolder(const QString& folder);

private:
    void BuildControls();
    void ShowPort(int index);
    void StoreShownPort();
    void PullControls();
    void UpdateReplaceCheck();
    void ReplaceFolder(const QString& oldFolder);

    Context m_context;
    int m_pouzivatPodadresare = 1;
    QString m_adresar;
    QString m_loadedAdresar;
    int m_spustitPriStartu = 2;
    int m_prehrat = 1;
    int m_restartovat = 1;
    int m_archivInterval = 1;
    std::vector<PortSlot> m_ports;
    int m_shownPort = -1;

    QCheckBox* m_subFolders = nullptr;
    QLineEdit* m_folder = nullptr;
    QComboBox* m_start = nullptr;
    QCheckBox* m_replace = nullptr;
    QCheckBox* m_restart = nullptr;
    QComboBox* m_span = nullptr;
    QTabBar* m_portTabs = nullptr;
    QComboBox* m_rate = nullptr;
    QComboBox* m_character = nullptr;
    QCheckBox* m_reconnect = nullptr;
    QLineEdit* m_description = nullptr;
};
