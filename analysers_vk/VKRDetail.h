#pragma once

#include "analysers_vk/VKRSettingsFile.h"
#include "controllers/settings/SettingsReport.h"

#include <QDateTime>
#include <QDialog>
#include <QPointer>

#include <array>
#include <functional>

class CPristroj;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace analysers_vk {

class IVKRSettingsIo;

// The settings of a VKR analyser in one dialog: connection, transformer
// ratios, nominal frequency and what the instrument's own display shows;
// received from and sent to the instrument, kept in ".vrs" files, printed.
class CVKRDetail : public QDialog {
    Q_OBJECT
public:
    // Control ids (object names of the controls).
    enum {
        IdType = 1333,
        IdVoltageConnection = 1334,
        IdCurrentConnection = 1346,
        IdConnectionType = 1335,
        IdVtPrimary = 1336,
        IdCtPrimary = 1337,
        IdCtSecondary = 1347,
        IdFrequency = 1338,
        IdRate = 1339,
        IdAddress = 1359,
        IdFirstShown = 1016,
        IdDefaultQuantity = 1340,
        IdDisplayMode = 1341,
        IdReceive = 1342,
        IdSend = 1343,
        IdLoad = 1345,
        IdSave = 1344,
        IdPrint = 1348,
        IdClose = 2,
    };
    static constexpr int kVtPrimaryCount = 14;
    static constexpr int kCtPrimaryCount = 25;
    static const std::array<DWORD, kVtPrimaryCount> kVtPrimaries;
    static const std::array<DWORD, kCtPrimaryCount> kCtPrimaries;

    explicit CVKRDetail(QWidget* parent = nullptr);
    ~CVKRDetail() override;

    // "Nastavení přístroje (name)".
    static QString TitleFor(const QString& instrumentName);

    // Reads the settings; false when the dialog is not to be shown (the
    // instrument did not answer and no file was loaded in its place).
    BOOL ReadFromDevice(IVKRSettingsIo& io, int pass);

    // The records into the controls, and back.
    void SetData();
    void GetData();
    void UpdateControls();

    // The configuration and the identification, each request tried three
    // times, behind the wait dialog; the records change only when both came.
    BOOL ReadAll();
    BOOL WriteConfig();

    BOOL ReadSettingsFile(const QString& path, QString* error = nullptr);
    BOOL WriteSettingsFile(const QString& path, const QString& folder, QString* error = nullptr);

    void OnReceive();
    void OnSend();
    // True when the user chose a file (read or not).
    bool OnLoad();
    void OnSave();
    void OnPrint();
    controllers::CSettingsReport BuildReport();
    static void SetPrintClock(std::function<QDateTime()> clock);

    CVKRSettings& Settings() { return m_s; }
    BOOL LoadedFromFile() const { return m_loadedFromFile; }
    const QString& Folder() const { return m_folder; }
    QComboBox* Combo(int id) const;
    QCheckBox* Shown(int quantity) const { return m_shown[std::size_t(quantity)]; }
    QPushButton* Button(int id) const;
    QString TypeText() const;
    QString RateText() const;
    QString AddressText() const;

protected:
    // The read-only twin shows stored settings and talks to nothing.
    explicit CVKRDetail(bool readOnly, QWidget* parent);
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void SetPrimaryItems(QComboBox* combo, const DWORD* table, int count, DWORD extra);

    IVKRSettingsIo* m_io = nullptr;
    CVKRSettings m_s;
    QString m_folder;
    BOOL m_loadedFromFile = FALSE;
    bool m_readOnly = false;
    // Primaries the tables do not hold, shown as one more item and sent as
    // they came (0: none).
    DWORD m_vtExtra = 0;
    DWORD m_ctExtra = 0;

    QLabel* m_type = nullptr;
    QComboBox* m_voltageConnection = nullptr;
    QComboBox* m_currentConnection = nullptr;
    QComboBox* m_connectionType = nullptr;
    QComboBox* m_vtPrimary = nullptr;
    QComboBox* m_ctPrimary = nullptr;
    QComboBox* m_ctSecondary = nullptr;
    QComboBox* m_frequency = nullptr;
    QLineEdit* m_rate = nullptr;
    QLineEdit* m_address = nullptr;
    std::array<QCheckBox*, CVKRConfig::kDisplayQuantities> m_shown{};
    QComboBox* m_defaultQuantity = nullptr;
    QComboBox* m_displayMode = nullptr;
    QPushButton* m_receive = nullptr;
    QPushButton* m_send = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_close = nullptr;
};

// Opens the settings dialog of a VKR analyser, with the entry's own link
// when the measurement does not hold one; `dialog` points at it while it is
// up.
void OpenVKRSettings(QWidget* parent, CPristroj& entry, QPointer<QDialog>& dialog);
// The same over any entry adapter (tests, the simulated instrument).
void RunVKRSettings(QWidget* parent, IVKRSettingsIo& io, QPointer<QDialog>* dialog = nullptr);

} // namespace analysers_vk
