#pragma once

#include "model/PrevodTyp.h"

// Head of the switching-statistics reply of both controller families (34 bytes).
class CStageSwitchState : public CPrevodTyp {
public:
    static constexpr int kImageSize = 34;
    static constexpr int kStageCount = 14;

    void FromRaw(const BYTE* image);
    // Whether the controller keeps per-stage on-times.
    BOOL HasStageTimeCounters() const;
    int GetVersionByte() const { return version & 0xFF; }

    BYTE byte0 = 0;                    // 0
    BYTE countLow[kStageCount] = {};   // 1-14: low part of each stage's switching count
    WORD flags = 0;                    // 15-16: bit 1 no current, bit 3 no voltage
    WORD word17 = 0;                   // 17-18
    WORD word19 = 0;                   // 19-20
    BYTE byte21 = 0;                   // 21
    WORD alarm0 = 0;                   // 22-23
    WORD alarm1 = 0;                   // 24-25
    WORD word26 = 0;                   // 26-27
    WORD version = 0;                  // 28-29: low byte = firmware version
    WORD word30 = 0;                   // 30-31
    WORD model = 0;                    // 32-33
};

// Per-stage switching statistics, the part of the reply after the head. The
// two families lay the block out differently.
class CStageSwitchStats : public CPrevodTyp {
public:
    static constexpr int kStageCount = 14;
    // Block sizes; a Qorin block without on-times may end after 42 bytes.
    static constexpr int kQorinBlockSize = 70;
    static constexpr int kQorinBlockSizeWithoutTimes = 42;
    static constexpr int kDuskarBlockSize = 110;

    void FromRawQorin(const BYTE* block, const CStageSwitchState& head);
    void FromRawDuskar(const BYTE* block, const CStageSwitchState& head);

    // Number of switchings of stage i (0-13) and its on-time in hours.
    int GetSwitchCount(int stage, const CStageSwitchState& head) const;
    int GetOnTimeHours(int stage) const;

    WORD W0 = 0;
    BYTE B1 = 0;
    BYTE B2 = 0;
    BYTE B3 = 0;
    BYTE B4_9[6] = {};
    WORD switchCounts[kStageCount] = {}; // units of 64 switchings
    WORD W1 = 0;
    WORD onTimes[kStageCount] = {};      // units of 2 hours
    BYTE B10 = 0;
};
