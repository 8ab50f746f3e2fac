#pragma once

#include "controllers/settings/StagePageBase.h"

class CDuskarConfig;

namespace controllers {

// Steps page of the Duskar settings sheet: the stage page of the Qorin
// sheet with sizes in amperes or kvar, a thyristor section on the thyristor
// model, automatic step recognition and two outputs that can serve as
// temperature outputs (cooling or heating).
class CDuskarDetailKompenzacniStupne : public CStagePageBase {
    Q_OBJECT
public:
    explicit CDuskarDetailKompenzacniStupne(QWidget* parent = nullptr)
        : CDuskarDetailKompenzacniStupne(false, parent)
    {
    }

    void AttachConfig(CDuskarConfig* config, const float* ctRatio, const float* kvarFactor, BOOL sixStep,
                      BOOL thyristor);
    bool StoreConfig();
    void SetRatios(float ctRatio, float kvarFactor);

    int GetStageState(int stage) const override;
    void OnStageButton(int stage) override;
    bool UpdateData(bool save) override;

    // Index of the step of temperature output 0 or 1.
    int TemperatureStep(int output) const { return (m_sixStage ? 4 : 12) + output; }
    // The output a step serves, or -1.
    int OutputOfStep(int stage) const;
    double KvarFactor() const { return m_kvar; }
    double CtRatio() const { return m_ct; }
    BOOL IsThyristorModel() const { return m_thyristor; }
    // The size of a step in the other unit (kvar <-> A).
    double OtherUnitSize(int stage) const;

    int m_speed = -1;
    int m_thyristorCount = 0;
    int m_tempMode[2] = {};
    int m_temp[2] = {};
    int m_displayMode = 1; // 0 current, 1 power

protected:
    CDuskarDetailKompenzacniStupne(bool readOnly, QWidget* parent);

    int FirstProgrammed() const override { return m_thyristorCount; }
    bool RejectsChoke(int stage) const override { return stage < m_thyristorCount; }
    int StageIcon(int stage) const override;
    QColor SizeBackground(int stage, QColor& text) const override;
    void ExchangeExtras(bool save) override;
    void RefreshExtras(int mask) override;

private:
    void PlaceTemperatureEdits();
    void RenewUnits();

    CDuskarConfig* m_config = nullptr;
    QGridLayout* m_grid = nullptr;
    BOOL m_thyristor = FALSE;
    double m_ct = 0;
    double m_kvar = 0;
};

class CDuskarDetailKompenzacniStupneStatic : public CDuskarDetailKompenzacniStupne {
    Q_OBJECT
public:
    explicit CDuskarDetailKompenzacniStupneStatic(QWidget* parent = nullptr)
        : CDuskarDetailKompenzacniStupne(true, parent)
    {
    }
};

} // namespace controllers
