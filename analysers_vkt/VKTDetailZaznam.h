#pragma once

#include "analysers_vk/VKDetailZaznam.h"
#include "controllers/settings/PageBase.h"
#include "model/PrevodTyp.h"

#include <QString>

#include <array>
#include <cstdint>

class CVKTNoteBook;
class CVKTStatus;

namespace analysers_vkt {

// Record periods of the list, in seconds.
extern const std::array<int, 20> kRecordPeriods;
// The list entry of a stored period: the first at least as long; a period
// beyond the list selects "  6 min.".
int PeriodIndex(int seconds);
// P, Q and S bytes as the instrument takes them: all three phases with the
// average only carry no separate three-phase value (also when import and
// export are recorded apart).
BYTE PackPowerByte(BYTE value, bool hasSeparate);

// "%d dnů, %d hodin, %d minut" of a record memory of `memoryBytes` filled
// with records of `recordSize` bytes every `periodSeconds`; "--" without a
// memory size.
QString CapacityText(std::int64_t memoryBytes, int recordSize, int periodSeconds);

// The recording group as the page shows it.
struct VKTRecordFields {
    std::array<BYTE, 14> selection{};
    int period = 600; // seconds
    bool atOnce = true;
    std::uint32_t start = 0; // seconds since the epoch
    QString name;

    void FromRecord(const CVKTStatus& status, const CVKTNoteBook* notebook);
    void ToRecord(CVKTStatus& status, CVKTNoteBook* notebook) const;
};

// Recording page: what the instrument records, how often, from when and
// under which name. The read-only twin shows an archive's description.
class CVKTDetailZaznam : public controllers::CSettingsPage {
    Q_OBJECT
public:
    explicit CVKTDetailZaznam(bool readOnly = false, QWidget* parent = nullptr);

    void SetData(CVKTStatus* status, CVKTNoteBook* notebook);
    void GetData();
    void ShowFields();
    bool TakeControls();
    void UpdateControls();
    const VKTRecordFields& Fields() const { return m_f; }
    // The text of the period list's entry.
    QString PeriodText() const;
    // The start-time pickers 1179 (time) and 1180 (date).
    analysers_vk::StartPickers Start() const;

    bool OnSetActive() override;
    bool OnKillActive() override { return IsReadOnly() || TakeControls(); }

    void OnReceive();
    void OnSend();

private:
    void Build();

    CVKTStatus* m_status = nullptr;
    CVKTNoteBook* m_notebook = nullptr;
    VKTRecordFields m_f;
    // The three-phase boxes of P, Q and S while the phases make them
    // implicit: shown checked and disabled, their own value kept here.
    std::array<int, 3> m_kept3f{-1, -1, -1};
    // Bytes of the instrument's record memory (0: unknown).
    std::int64_t m_memory = 0;

    void ApplyThreePhaseRule();
    void ShowPowerFactors();
    void ShowCapacity();
};

} // namespace analysers_vkt
