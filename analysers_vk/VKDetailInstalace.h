#pragma once

#include "controllers/settings/PageBase.h"

#include <QString>
#include <QStringList>

class CIden;
class CVKConfig;

namespace analysers_vk {

// The installation group as the page shows it.
struct VKInstallFields {
    int voltageConnection = -1; // 0 "Přímo", 1 "Přes MTN"
    int connectionType = -1;
    qint64 nominalVoltage = 0;
    qint64 vtPrimary = 1;
    int vtSecondary = -1;
    qint64 ctPrimary = 1;
    int ctSecondary = -1;
    qint64 ct4Primary = 1;
    int ct4Secondary = -1;
    qint64 nominalPower = 0;
    double temp4mA = 0.0;
    double temp20mA = 0.0;
    QString interfaceText;
    int interfaceKind = 0; // 0 none, 1 COM, 2 RS-485, 3 CAN
    bool modbus = false;
    int parity = -1;
    int rate = -1;
    qint64 address = 0;
    bool modem = false;
    QString modemText;
    QString typeText;
    bool temperatureInput = false; // bit 2 of the model word

    void FromRecord(const CVKConfig& config, const QString& modem, const CIden& iden);
    // Lists left without a choice keep the record's value.
    void ToRecord(CVKConfig& config, QString& modem) const;

    bool IsSerial() const { return interfaceKind == 1 || interfaceKind == 2; }
    qint64 MaxAddress() const { return interfaceKind == 3 ? 1023 : 253; }
};

QStringList SerialRates();
QStringList CanRates();

// Installation page: transformers, connection, nominal values, the
// temperature input and the remote line. The read-only twin shows a stored
// configuration and changes nothing.
class CVKDetailInstalace : public controllers::CSettingsPage {
    Q_OBJECT
public:
    explicit CVKDetailInstalace(bool readOnly = false, QWidget* parent = nullptr);

    void SetData(CVKConfig* config, QString* modem, CIden* iden);
    void GetData();
    // Fields into the controls / controls into the fields (false: a typed
    // value was refused and the page stays).
    void ShowFields();
    bool TakeControls();
    void UpdateControls();
    const VKInstallFields& Fields() const { return m_f; }

    bool OnSetActive() override;
    bool OnKillActive() override { return IsReadOnly() || TakeControls(); }

    void OnReceive();
    void OnSend();

private:
    void Build();
    void FillRates();

    CVKConfig* m_config = nullptr;
    QString* m_modem = nullptr;
    CIden* m_iden = nullptr;
    VKInstallFields m_f;
    bool m_canListLoaded = false;
};

} // namespace analysers_vk
