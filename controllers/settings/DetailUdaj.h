#pragma once

#include "controllers/settings/PageBase.h"

#include "model/PrevodTyp.h"

class CConfig;
class QComboBox;

namespace controllers {

// Data page of the Qorin settings sheet: target power factor and regulation
// times of the two tariffs, current transformer, re-closing block time,
// measuring-voltage connection and the choke-regulation limit.
class CDetailUdaj : public CSettingsPage {
    Q_OBJECT
public:
    explicit CDetailUdaj(QWidget* parent = nullptr) : CDetailUdaj(false, parent) {}

    void AttachConfig(CConfig* config, BOOL singleTariff);
    // False when a typed value is refused (the page keeps the focus).
    bool StoreConfig();
    // Controls <-> members; false when a typed value is out of range.
    bool UpdateData(bool save);

    int CtPrimary() const { return m_ctPrimary; }
    int CtSecondary() const { return m_ctSecondary; }

    WORD m_version = 32;

    BOOL m_tariff2On = FALSE;
    int m_t1Under = -1, m_t2Under = -1, m_t1Over = -1, m_t2Over = -1;
    double m_pf1 = 0, m_pf2 = 0;
    int m_ctPrimary = 0, m_ctSecondary = 0;
    int m_connection = -1;
    int m_reclosing = -1;
    double m_chokePf = 0;
    BOOL m_chokeOn = FALSE;
    BOOL m_t1UnderLinear = FALSE, m_t2UnderLinear = FALSE, m_t1OverLinear = FALSE, m_t2OverLinear = FALSE;
    BOOL m_singleTariff = FALSE;

    bool OnSetActive() override;
    bool OnKillActive() override { return UpdateData(true); }
    void OnCancel() override { UpdateData(false); }

protected:
    CDetailUdaj(bool readOnly, QWidget* parent);
    void Enable();

private:
    void StepPf(double CDetailUdaj::*member, bool up);
    void CheckPfEdit(int id, double CDetailUdaj::*member);

    CConfig* m_config = nullptr;
};

// The data page of the archive sheet: the same conversions, read-only.
class CDetailUdajStatic : public CDetailUdaj {
    Q_OBJECT
public:
    explicit CDetailUdajStatic(QWidget* parent = nullptr);
    // The CT ratio (primary / secondary).
    float AttachConfig(CConfig* config);
};

} // namespace controllers
