#include "model/ControllerAlarms.h"

#include "platform/StringTable.h"

#include <algorithm>

namespace {

// The Duskar texts have no ids in the string table.
const char* const kDuskarTexts[CControllerAlarms::kDuskarAlarmCount] = {
    "Alarm - podproud.",
    "Alarm - nadproud.",
    "Alarm - výpadek napětí.",
    "Alarm - podpětí.",
    "Alarm - přepětí.",
    "Alarm - překročení meze THDI. ",
    "Alarm - překročení meze THDU. ",
    "Alarm - překročení meze CHL. ",
    "Alarm - chyba kompenzace.",
    "Alarm - zpětné napájení.",
    "Alarm - překročení meze počtu sepnutí.",
    "Alarm - výpadek stupně.",
    "Alarm - přehřátí. ",
};

} // namespace

void CControllerAlarms::FromRaw(const BYTE* head)
{
    V0 = GetWord(head + 22);
    V1 = GetWord(head + 24);
}

void CControllerAlarms::ToRaw(BYTE* payload) const
{
    payload[0] = BYTE(V0);
    PutWord(payload + 1, V1);
    payload[3] = BYTE(V2);
    PutWord(payload + 4, V3);
}

int CControllerAlarms::GetSendLength() const
{
    return int(std::min<DWORD>(payloadLength, kPayloadSize));
}

bool CControllerAlarms::IsActive(int alarm) const
{
    return ((DWORD(V0) | DWORD(V1)) >> alarm) & 1;
}

QStringList CControllerAlarms::GetQorinAlarmTexts() const
{
    QStringList out;
    for (int i = 0; i < kQorinAlarmCount; ++i) {
        if (IsActive(i))
            out.append(platform::LoadString(platform::IDS_ALARM_UNDERCURRENT + i));
    }
    return out;
}

QStringList CControllerAlarms::GetDuskarAlarmTexts() const
{
    QStringList out;
    for (int i = 0; i < kDuskarAlarmCount; ++i) {
        if (IsActive(i))
            out.append(QString::fromUtf8(kDuskarTexts[i]));
    }
    return out;
}
