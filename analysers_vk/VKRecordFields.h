#pragma once

#include "platform/Time32.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

class CVKNoteBook;
class CVKStatus;

namespace analysers_vk {

// The recording group as the page shows it.
struct VKRecordFields {
    QString name;
    platform::CTime start;
    bool atOnce = false;
    int period = -1;
    bool cyclic = false;
    int sampling = 0;
    int uCount = 0, uChoice = 0;
    int iCount = 0, iChoice = 0;
    int pfKind = 0, pfChoice = 0; // kind 0 "ne", 1 "PF", 2 "cos"
    int freq = 0, freqChoice = 0;
    int temp = 0, tempChoice = 0;
    int powerType = 0;
    int powers = 0; // 0 "žadný" .. 3, 4 "1 3-fázový"
    bool apart = false;
    int hU = 0, hI = 0;
    int kind = 0; // 0 level, 1 spectrum
    int harmonicsCount = 0;
    std::array<bool, 24> harmonics{};

    void FromRecord(const CVKStatus& status, const CVKNoteBook* notebook);
    void ToRecord(CVKStatus& status, CVKNoteBook* notebook) const;

    // Bytes of one record with these choices.
    int RecordSize() const;
    // Row slots shown in the list: 0-2 voltages, 3-5 currents, 6-8 power
    // factors, 9-11 powers, 12 frequency, 13 temperature.
    std::vector<int> Slots() const;
    QString Caption(int slot) const;
};

// Minutes the memory lasts: period seconds x memory / record size / 60, and
// 1 440 000 for an empty record.
std::int64_t CapacityMinutes(int periodSeconds, std::int64_t memory, int recordSize);
// "--" below one byte of memory, else "%d dnů, %d hodin, %d minut".
QString CapacityText(int periodIndex, std::int64_t memory, int recordSize);

QStringList PeriodItems();
QStringList SamplingItems();
QStringList StoredValueItems(int sampling, int quantity); // quantity 0 U, 1 I, 2 PF, 3 f/T

} // namespace analysers_vk
