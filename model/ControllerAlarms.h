#pragma once

#include "model/PrevodTyp.h"

#include <QStringList>

// Alarm words of a controller, and the command record sent to it. As a
// command the record gives a 6-byte payload of which the first
// payloadLength bytes are sent.
class CControllerAlarms : public CPrevodTyp {
public:
    static constexpr int kPayloadSize = 6;
    static constexpr int kQorinAlarmCount = 9;
    static constexpr int kDuskarAlarmCount = 13;

    CControllerAlarms() = default;
    CControllerAlarms(const CControllerAlarms&) = default;
    CControllerAlarms& operator=(const CControllerAlarms&) = default;
    ~CControllerAlarms() override = default;

    // From the 34-byte head of the switching-statistics reply: V0 and V1.
    void FromRaw(const BYTE* head);
    void ToRaw(BYTE* payload) const;
    // Bytes of the payload to send, never more than it holds.
    int GetSendLength() const;

    // Texts of the alarms set in V0 or V1, in bit order; empty when none.
    QStringList GetQorinAlarmTexts() const;
    QStringList GetDuskarAlarmTexts() const;

    WORD V0 = 0; // alarm word 1; low byte sent
    WORD V1 = 0; // alarm word 2; statistics reset: stages whose count is reset
    WORD V2 = 0; // special functions: 8 + 1 lock, + 2 regulate, + 4 reinitialise; low byte sent
    WORD V3 = 0; // statistics reset: stages whose on-time is reset
    DWORD payloadLength = 4;

private:
    bool IsActive(int alarm) const;
};
