#pragma once

#include "controllers/settings/StagePageBase.h"

class CConfig;

namespace controllers {

// Stage page of the Qorin settings sheet (models 3 and above): sizes in
// primary amperes of the current transformer.
class CKompenzacniStupne : public CStagePageBase {
    Q_OBJECT
public:
    explicit CKompenzacniStupne(QWidget* parent = nullptr) : CKompenzacniStupne(false, false, parent) {}

    void AttachConfig(CConfig* config, const float* ctRatio, BOOL sixStage);
    bool StoreConfig();
    // The data page changed the transformer: sizes and C/k follow.
    void SetCtRatio(float ratio);

    bool IsTwoSection() const { return m_twoSection; }
    int m_transistorCount = 0;
    int m_speed = -1;

protected:
    CKompenzacniStupne(bool twoSection, bool readOnly, QWidget* parent);
    void AttachCommon(CConfig* config, float ratio, BOOL sixStage);

    bool RejectsChoke(int stage) const override { return m_twoSection && stage < 6; }
    QColor SizeBackground(int stage, QColor& text) const override;
    void ExchangeExtras(bool save) override;
    bool AutoOff() const override { return m_auto == 0; }

    CConfig* m_config = nullptr;
    bool m_twoSection;
};

// Stage page of models 1 and 2: a transistor section of 6 stages and a relay
// section of 8, with the section's stage count and regulation speed.
class CKompenzacniStupneN : public CKompenzacniStupne {
    Q_OBJECT
public:
    explicit CKompenzacniStupneN(QWidget* parent = nullptr) : CKompenzacniStupne(true, false, parent) {}
    void AttachConfig(CConfig* config, const float* ctRatio);

protected:
    CKompenzacniStupneN(bool readOnly, QWidget* parent) : CKompenzacniStupne(true, readOnly, parent) {}
};

class CKompenzacniStupneStatic : public CKompenzacniStupne {
    Q_OBJECT
public:
    explicit CKompenzacniStupneStatic(QWidget* parent = nullptr) : CKompenzacniStupne(false, true, parent) {}
    void AttachConfig(CConfig* config, float ctRatio, BOOL sixStage) { AttachCommon(config, ctRatio, sixStage); }
};

class CKompenzacniStupneNStatic : public CKompenzacniStupneN {
    Q_OBJECT
public:
    explicit CKompenzacniStupneNStatic(QWidget* parent = nullptr) : CKompenzacniStupneN(true, parent) {}
    void AttachConfig(CConfig* config, float ctRatio) { AttachCommon(config, ctRatio, FALSE); }
};

} // namespace controllers
