#pragma once

#include "controllers/settings/PageBase.h"

#include "model/PrevodTyp.h"

class CDuskarConfig;
class QComboBox;

namespace controllers {

// Data page of the Duskar settings sheet: tariff targets (power factor or
// phase angle) with band widths and regulation times, transformers,
// nominal voltage, connection, re-closing block time and choke limit.
class CDuskarDetailUdaj : public CSettingsPage {
    Q_OBJECT
public:
    explicit CDuskarDetailUdaj(QWidget* parent = nullptr) : CDuskarDetailUdaj(false, parent) {}

    void AttachConfig(CDuskarConfig* config, BOOL singleTariff);
    bool StoreConfig();
    bool UpdateData(bool save);

    int CtPrimary() const { return m_ctPrimary; }
    int CtSecondary() const { return m_ctSecondary; }
    int PrimaryNominalVoltage() const { return m_primaryNominal; }

    BOOL m_tariff2On = FALSE;
    int m_times[4] = {-1, -1, -1, -1}; // 1021 t1 under, 1022 t2 under, 1023 t1 over, 1024 t2 over
    BOOL m_linear[4] = {};             // 1016, 1017, 1034, 1035 in the same order
    int m_band[2] = {-1, -1};
    int m_code[2] = {100, 100};
    int m_ctPrimary = 0, m_ctSecondary = 0;
    int m_connection = -1;
    int m_lineToNeutral = -1;
    int m_reclosing = -1;
    double m_chokePf = 1.0;
    BOOL m_chokeOn = FALSE;
    int m_vtRatio = 1;
    int m_primaryNominal = 230;
    BOOL m_singleTariff = FALSE;

    bool OnSetActive() override;
    bool OnKillActive() override { return UpdateData(true); }

protected:
    CDuskarDetailUdaj(bool readOnly, QWidget* parent);

private:
    void Enable();
    void StepTarget(int tariff, bool up);
    void TargetTyped(int tariff);
    void ShowTarget(int tariff);
    void RebuildConnections();
    void VtChanged(int oldRatio);
    void StepChoke(bool up);

    CDuskarConfig* m_config = nullptr;
};

class CDuskarDetailUdajStatic : public CDuskarDetailUdaj {
    Q_OBJECT
public:
    explicit CDuskarDetailUdajStatic(QWidget* parent = nullptr) : CDuskarDetailUdaj(true, parent) {}
};

} // namespace controllers
