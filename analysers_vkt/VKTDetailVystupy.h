#pragma once

#include "controllers/settings/PageBase.h"

#include <QStringList>

#include <array>

class CIden;
class CVKTOutputConfig;
class QTabBar;

namespace analysers_vkt {

struct VKTRelaySlot {
    bool active = false;
    double limit = 0.0;
    double hysteresis = 0.0;
    qint64 blocking = 0;
    int direction = 0; // 0 "Pod", 1 "Nad"
    int quantity = 0;
    int phase = 0; // index into PhaseItems
};

// The output group as the page shows it.
struct VKTOutputFields {
    int equipment = 0; // bits 0-1 of the identification's output byte
    bool modelWithoutN = false;
    bool send1 = false, send2 = false, syncInput = false;
    int kind1 = 0, kind2 = 1;
    double rate1 = 0.0, rate2 = 0.0;
    std::array<VKTRelaySlot, 2> relays;

    int PulseOutputs() const { return equipment == 2 ? 2 : equipment == 3 ? 1 : 0; }
    int Relays() const { return equipment == 1 ? 2 : equipment == 3 ? 1 : 0; }
    // Whether the phase list of `quantity` lacks "N" (stored phases above 3
    // then show one lower).
    bool WithoutN(int quantity) const { return modelWithoutN || quantity == 1; }

    void FromRecord(const CVKTOutputConfig& outputs, const CIden& iden);
    void ToRecord(CVKTOutputConfig& outputs) const;
};

QStringList PhaseItems(int quantity, bool withoutN);
// Unit texts beside the limit and the hysteresis.
QString LimitUnit(int quantity);
QString HysteresisUnit(int quantity);

// Outputs page: two relays switching on a limit, two pulse outputs and the
// time-synchronisation input.
class CVKTDetailVystupy : public controllers::CSettingsPage {
    Q_OBJECT
public:
    explicit CVKTDetailVystupy(QWidget* parent = nullptr);

    void SetData(CVKTOutputConfig* outputs, CIden* iden);
    void GetData();
    void ShowFields();
    bool TakeControls();
    void SelectOutput(int relay);
    void UpdateControls();
    // An edit filled from the record, and whether it still shows that text.
    void ShowUntouched(int id, const QString& text);
    bool Untouched(int id);
    const VKTOutputFields& Fields() const { return m_f; }
    int ShownRelay() const { return m_shown; }

    bool OnSetActive() override;
    bool OnKillActive() override { return TakeControls(); }

    void OnReceive();
    void OnSend();

private:
    void Build();
    void FillPhases();
    void OnKindChanged(int output);

    CVKTOutputConfig* m_outputs = nullptr;
    CIden* m_iden = nullptr;
    VKTOutputFields m_f;
    QTabBar* m_tabs = nullptr;
    int m_shown = 0;
};

} // namespace analysers_vkt
