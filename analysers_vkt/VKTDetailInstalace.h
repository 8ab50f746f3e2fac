#pragma once

#include "controllers/settings/PageBase.h"

#include <QString>

class CIden;
class CVKTConfig;

namespace analysers_vkt {

// The installation group as the page shows it.
struct VKTInstallFields {
    int voltageConnection = 0; // 0 "Přímo", 1 "Přes MTN"
    int connectionType = 2;
    int frequency = 0; // 0 "50", 1 "60"
    qint64 vtRatio = 1;
    qint64 vt4Ratio = 1;
    qint64 ctPrimary = 1;
    int ctSecondary = 0; // 0 "1", 1 "5"
    qint64 ct4Primary = 1;
    int ct4Secondary = 1;
    QString typeText;
    QString interfaceText;
    int interfaceIndex = 0; // 1 COM, 2 485, 3 ProfiBUS, 4 Ethernet, 5 WiFi, 6 Bluetooth
    bool fiveConnections = false; // models without "4f"
    bool modbus = false;
    int parity = 0;
    qint64 address = 0;
    int rate = 0;
    bool modem = false;
    QString modemText;
    bool nonTransparent = false;
    bool gprs = false;
    QString accessPoint;
    quint32 ip = 0;
    qint64 port = 0;
    int displayMode = 0;
    int displayQuantity = 0;
    int brightness = 0;
    double nominalVoltage = 0.0;
    double nominalPower = 0.0;

    void FromRecord(const CVKTConfig& config, const QString& modem, const CIden& iden);
    void ToRecord(CVKTConfig& config, QString& modem) const;
};

QString IpText(quint32 ip);
// "a.b.c.d", each 0..255; false for anything else.
bool ParseIp(const QString& text, quint32& ip);

// Installation page: transformers, connection, nominal values, the remote
// line and the display. The read-only twin shows a stored configuration.
class CVKTDetailInstalace : public controllers::CSettingsPage {
    Q_OBJECT
public:
    explicit CVKTDetailInstalace(bool readOnly = false, QWidget* parent = nullptr);

    void SetData(CVKTConfig* config, QString* modem, CIden* iden);
    void GetData();
    void ShowFields();
    // False when a typed value was refused (the page stays).
    bool TakeControls();
    void UpdateControls();
    const VKTInstallFields& Fields() const { return m_f; }

    bool OnSetActive() override;
    bool OnKillActive() override { return IsReadOnly() || TakeControls(); }

    void OnReceive();
    void OnSend();

private:
    void Build();

    CVKTConfig* m_config = nullptr;
    QString* m_modem = nullptr;
    CIden* m_iden = nullptr;
    VKTInstallFields m_f;
};

} // namespace analysers_vkt
