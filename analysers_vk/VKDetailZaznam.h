#pragma once

#include "analysers_vk/VKRecordFields.h"
#include "controllers/settings/PageBase.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class CIden;
class CVKNoteBook;
class CVKStatus;
class QDateTimeEdit;
class QTreeWidget;

namespace analysers_vk {

// The start of recording as a time picker and a date picker with its
// calendar, children of a recording page. Leaving the time picker gives
// both the chosen date at the chosen time; a date chosen in the calendar
// carries its time into the time picker.
struct StartPickers {
    StartPickers(QWidget* page, int timeId, int dateId, bool readOnly);
    // The pickers of `page` made earlier.
    StartPickers(const QWidget* page, int timeId, int dateId);

    void Show(const QDateTime& start) const;
    QDateTime Value() const;
    // As printed: the time, two blanks, the date.
    QString Text() const;
    void SetEnabled(bool enabled) const;

    QDateTimeEdit* time;
    QDateTimeEdit* date;
};

// Recording page: what the analyser stores in its memory, the notes of the
// recorded quantities and how long the memory lasts. The read-only twin shows
// a stored status record.
class CVKDetailZaznam : public controllers::CSettingsPage {
    Q_OBJECT
public:
    explicit CVKDetailZaznam(bool readOnly = false, QWidget* parent = nullptr);

    void SetData(CVKStatus* status, CVKNoteBook* notebook, CIden* iden);
    void SetMemorySize(std::int64_t bytes) { m_memory = bytes; }
    void GetData();
    void FillQuantityList();
    void RebuildList();
    void UpdateControls();
    void ShowCapacity();
    void ShowFields();
    bool TakeControls();
    void ApplySamplingRule(int newBasis, bool moveChoices);

    const VKRecordFields& Fields() const { return m_f; }
    const std::array<QString, 14>& Notes() const { return m_notes; }
    const std::array<bool, 14>& RowPresent() const { return m_present; }
    void SetNote(int slot, const QString& note);
    QTreeWidget* List() const { return m_list; }

    bool OnSetActive() override;
    bool OnKillActive() override { return IsReadOnly() || TakeControls(); }

    void OnReceive();
    void OnSend();

private:
    void Build();
    void AddMissingRows();
    void CopyNotesBack();
    void SetGroupButtons();
    void OnGroupClicked(int id);
    void OnChoiceChanged();

    CVKStatus* m_status = nullptr;
    CVKNoteBook* m_notebook = nullptr;
    CIden* m_iden = nullptr;
    std::int64_t m_memory = -1;
    VKRecordFields m_f;
    std::array<QString, 14> m_notes;
    std::array<bool, 14> m_present{};
    QTreeWidget* m_list = nullptr;
};

} // namespace analysers_vk
