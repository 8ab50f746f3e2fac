#pragma once

#include "controllers/settings/PageBase.h"

#include <QStringList>

#include <array>

class CIden;
class CVKOutputConfig;
class QTabBar;

namespace analysers_vk {

// One relay (outputs 0, 1) or analog output (2, 3) as the page shows it.
struct VKOutputState {
    bool active = false;
    int quantity = -1;
    int phase = -1;
    double limit = 0.0;
    qint64 blocking = 0;
    double hysteresis = 0.0;
    int action = -1; // 0 "Vypnout", 1 "Zapnout"
    int direction = -1; // 0 "Pod", 1 "Nad"
    int start = -1; // 0 "0 mA:", 1 "4 mA:"
    double low = 0.0;
    double high = 0.0;
};

struct VKOutputFields {
    bool p1 = false, p2 = false;
    int kind1 = -1, kind2 = -1;
    double pulses1 = 0.0, pulses2 = 0.0;
    bool timeSync = false;
    int outputCount = 2;
    bool pulseOutputs = false; // bit 2 of the model word
    bool timeSyncInput = false; // bits 8 and 12 of the model word
    std::array<VKOutputState, 4> out;

    void FromRecord(const CVKOutputConfig& record, const CIden& iden);
    // A list left without a choice (index -1) keeps the record's bits.
    void ToRecord(CVKOutputConfig& record) const;
};

// The phase choices of output `output` (0, 1 relays) for quantity 0-10.
QStringList PhaseItems(int output, int quantity);
QStringList OutputQuantities();

// Outputs page: pulse outputs P1 and P2, the relays and the analog outputs
// (one at a time through the tabs), and the time-synchronisation input.
class CVKDetailVystupy : public controllers::CSettingsPage {
    Q_OBJECT
public:
    explicit CVKDetailVystupy(QWidget* parent = nullptr);

    void SetData(CVKOutputConfig* record, CIden* iden);
    void GetData();
    void SelectOutput();
    void UpdateControls();
    void ShowFields();
    bool TakeControls();
    void RefillPhases();

    int SelectedOutput() const;
    int TabCount() const;
    void SelectTab(int index);
    const VKOutputFields& Fields() const { return m_f; }
    QTabBar* Tabs() const { return m_tabs; }

    bool OnSetActive() override;
    bool OnKillActive() override;

    void OnReceive();
    void OnSend();

private:
    void Build();
    void BuildTabs();
    void StoreSelected();

    CVKOutputConfig* m_record = nullptr;
    CIden* m_iden = nullptr;
    VKOutputFields m_f;
    VKOutputState m_cur; // the selected output's controls
    QTabBar* m_tabs = nullptr;
    int m_shown = 0; // the output the lower half holds
    bool m_tabsBuilt = false;
};

} // namespace analysers_vk
