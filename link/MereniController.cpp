#include "link/MereniController.h"

#include "archive/store/ArchivRecord.h"
#include "model/ControllerAlarms.h"

#include <type_traits>

namespace {

constexpr int kControlSettingsAdds[] = {1, 5, 10};

template <class Archive>
constexpr bool kIsDuskar = std::is_same_v<Archive, CDuskarArchivData>;

} // namespace

template <class Archive>
const int* CControllerMereni<Archive>::ControlSettingsAdds() const
{
    return kControlSettingsAdds;
}

template <class Archive>
void CControllerMereni<Archive>::ReadConfigOnce(Archive& archiv)
{
    if (ReadConfig(m_config))
        archiv.AddConfigRecord(m_config);
    else
        AddFailScore(1);
}

template <class Archive>
BOOL CControllerMereni<Archive>::StoreValues(Archive& archiv)
{
    if (!StateText(m_values.state)) {
        SetDeviceState((m_values.state & 0x0F) | 0x10);
        return FALSE;
    }
    if (archiv.AddMeasurementRecord(m_values))
        archiv.AddWordRecord(DWORD(Entry()->m_intervalMereni));
    return TRUE;
}

template <class Archive>
BOOL CControllerMereni<Archive>::CheckAlarms(Archive& archiv)
{
    Values newest;
    int state = 0;
    archiv.GetLatestValues(newest, state);
    if (newest.flags & 0x80)
        QueueRecord(QString::fromUtf8(mereni_texts::kFault), kRecordFault);
    if (!(newest.flags & 0x20))
        return TRUE;
    CControllerAlarms alarms;
    if (!Entry()->ReadStatisticsSummary(alarms))
        return FALSE;
    for (const QString& text : kIsDuskar<Archive> ? alarms.GetDuskarAlarmTexts() : alarms.GetQorinAlarmTexts())
        QueueRecord(text, kRecordCondition);
    return TRUE;
}

template <class Archive>
int CControllerMereni<Archive>::Poll(BOOL late)
{
    Archive* a = Store();
    if (!Entry() || !a)
        return 0;
    bool quiet = late != 0;
    if (late) {
        SetDeviceState(0);
    } else {
        if (!ReadValues(m_values))
            return 0;
        if (IsOwnerGone())
            return 0;
        if constexpr (kIsDuskar<Archive>) {
            if (a->IsConfigChanged(m_values))
                ReadConfigOnce(*a);
        }
        quiet = !StoreValues(*a);
    }
    // A new file of a Qorin wants the settings even when the poll was missed.
    if constexpr (!kIsDuskar<Archive>) {
        if (a->NeedsConfigRecord())
            ReadConfigOnce(*a);
    }
    FinishPoll();
    if (!quiet && !CheckAlarms(*a))
        return 0;
    return 1;
}

template class CControllerMereni<CQorinArchivData>;
template class CControllerMereni<CDuskarArchivData>;

BOOL CQorinMereni::ReadFamilyRecords(const int* settingsAdds, const int* secondAdds)
{
    return ReadPair(&CPristroj::ReadQorinConfig, m_config, settingsAdds, &CPristroj::ReadQorinValues, m_values,
                    secondAdds);
}

BOOL CDuskarMereni::ReadFamilyRecords(const int* settingsAdds, const int* secondAdds)
{
    return ReadPair(&CPristroj::ReadDuskarConfig, m_config, settingsAdds, &CPristroj::ReadIdentification, m_iden,
                    secondAdds);
}
