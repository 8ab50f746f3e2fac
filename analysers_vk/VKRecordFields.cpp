#include "analysers_vk/VKRecordFields.h"

#include "model/VKNoteBook.h"
#include "model/VKStatus.h"

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr int kPeriodSeconds[] = {5, 10, 15, 20, 30, 60, 120, 180, 240, 300, 360, 600, 720, 900, 1200, 1800, 3600};

int PhaseCountOfMode(int mode)
{
    return mode == 2 ? 3 : (mode == 1 ? 1 : 0);
}

} // namespace

QStringList PeriodItems()
{
    return {"  5 sec.", "10 sec.", "15 sec.", "20 sec.", "30 sec.", "  1 min.", "  2 min.", "  3 min.", "  4 min.",
            "  5 min.", "  6 min.", "10 min.", "12 min.", "15 min.", "20 min.", "30 min.", "60 min."};
}

QStringList SamplingItems()
{
    return {QStringLiteral("nastavení"), QStringLiteral("extrému U"), QStringLiteral("extrému I"),
            QStringLiteral("extrému cos"), QStringLiteral("extrému čin. fáz. výkonů"),
            QStringLiteral("maxima čin. 3F výkonu")};
}

QStringList StoredValueItems(int sampling, int quantity)
{
    const QStringList four{QStringLiteral("Průměrná hodnota"), QStringLiteral("Minimální hodnota"),
                           QStringLiteral("Maximální hodnota"), QStringLiteral("Prostý vzorek")};
    if (sampling <= 0 || quantity == 3)
        return four;
    const int extreme = sampling == 1 ? 0 : (sampling == 2 ? 1 : 2);
    if (quantity == extreme)
        return {four[1], four[2]};
    return {four[3]};
}

void VKRecordFields::FromRecord(const CVKStatus& s, const CVKNoteBook* notebook)
{
    name = notebook ? notebook->GetRecordName() : QString();
    period = s.GetRecordPeriodIndex();
    BOOL now = FALSE;
    s.GetRecordStartTime(start, now);
    atOnce = now;
    cyclic = s.GetCyclic();
    sampling = s.GetSamplingMode();
    if (sampling > 5)
        sampling = 0;
    BOOL on = FALSE;
    s.GetFrequencyRecording(on, freqChoice);
    freq = on ? 1 : 0;
    s.GetVoltageRecording(sampling, uCount, uChoice);
    s.GetCurrentRecording(sampling, iCount, iChoice);
    s.GetPowerFactorRecording(sampling, pfKind, pfChoice);
    s.GetTemperatureRecording(on, tempChoice);
    temp = on ? 1 : 0;
    BOOL separate = FALSE;
    s.GetPowerRecording(powers, powerType, separate);
    apart = separate;
    hU = s.GetVoltageHarmonicsMode();
    hI = s.GetCurrentHarmonicsMode();
    kind = s.GetRecordMode() ? 1 : 0;
    harmonicsCount = s.GetRecordedHarmonicsCount();
    BOOL selected[CVKStatus::kHarmonicOrders] = {};
    s.GetHarmonicSelection(selected);
    for (std::size_t k = 0; k < harmonics.size(); ++k)
        harmonics[k] = selected[k];
}

void VKRecordFields::ToRecord(CVKStatus& s, CVKNoteBook* notebook) const
{
    if (notebook)
        notebook->SetRecordName(name.left(CVKNoteBook::kNameBytes));
    if (period >= 0)
        s.SetRecordPeriodIndex(period);
    s.SetRecordStartTime(start, atOnce);
    s.SetCyclic(cyclic);
    s.SetSamplingMode(sampling);
    s.SetFrequencyRecording(freq == 1, std::max(freqChoice, 0));
    s.SetVoltageRecording(sampling, std::max(uCount, 0), std::max(uChoice, 0));
    s.SetCurrentRecording(sampling, std::max(iCount, 0), std::max(iChoice, 0));
    s.SetPowerFactorRecording(sampling, std::max(pfKind, 0), std::max(pfChoice, 0));
    s.SetTemperatureRecording(temp == 1, std::max(tempChoice, 0));
    s.SetPowerRecording(std::max(powers, 0), std::max(powerType, 0), apart);
    s.SetVoltageHarmonicsMode(std::max(hU, 0));
    s.SetCurrentHarmonicsMode(std::max(hI, 0));
    s.SetRecordMode(kind == 1);
    if (kind == 1) {
        s.SetRecordedHarmonicsCount(harmonicsCount);
    } else {
        BOOL selected[CVKStatus::kHarmonicOrders] = {};
        for (std::size_t k = 0; k < harmonics.size(); ++k)
            selected[k] = harmonics[k];
        s.SetHarmonicSelection(selected);
    }
}

int VKRecordFields::RecordSize() const
{
    int powerCount = powers == 4 ? 1 : std::clamp(powers, 0, 3);
    if (apart && powerType != 2)
        powerCount *= 2;
    int orders = 0;
    if (kind == 1)
        orders = harmonicsCount;
    else
        orders = int(std::count(harmonics.begin(), harmonics.end(), true));
    return 2 * (uCount + iCount) + (pfKind != 0 ? std::min(iCount, 3) : 0) + (freq ? 1 : 0) + (temp ? 1 : 0)
         + 4 * powerCount + (orders + 1) * (PhaseCountOfMode(hU) + PhaseCountOfMode(hI));
}

std::vector<int> VKRecordFields::Slots() const
{
    std::vector<int> rows;
    for (int k = 0; k < std::clamp(uCount, 0, 3); ++k)
        rows.push_back(k);
    for (int k = 0; k < std::clamp(iCount, 0, 3); ++k)
        rows.push_back(3 + k);
    if (pfKind != 0) {
        for (int k = 0; k < std::clamp(iCount, 0, 3); ++k)
            rows.push_back(6 + k);
    }
    const int powerRows = powers == 4 ? 1 : std::clamp(powers, 0, 3);
    for (int k = 0; k < powerRows; ++k)
        rows.push_back(9 + k);
    if (freq)
        rows.push_back(12);
    if (temp)
        rows.push_back(13);
    return rows;
}

QString VKRecordFields::Caption(int slot) const
{
    const QString n = QString::number(slot % 3 + 1);
    if (slot < 3)
        return QStringLiteral("U") + n;
    if (slot < 6)
        return QStringLiteral("I") + n;
    if (slot < 9)
        return (pfKind == 2 ? QStringLiteral("cos") : QStringLiteral("PF")) + n;
    if (slot < 12)
        return QStringLiteral("P") + n;
    return slot == 12 ? QStringLiteral("f") : QStringLiteral("T");
}

std::int64_t CapacityMinutes(int periodSeconds, std::int64_t memory, int recordSize)
{
    if (recordSize <= 0)
        return 1440000;
    return std::int64_t(periodSeconds) * memory / recordSize / 60;
}

QString CapacityText(int periodIndex, std::int64_t memory, int recordSize)
{
    if (memory < 1)
        return QStringLiteral("--");
    const int seconds = periodIndex >= 0 && periodIndex < int(std::size(kPeriodSeconds)) ? kPeriodSeconds[periodIndex]
                                                                                          : kPeriodSeconds[0];
    const std::int64_t minutes = CapacityMinutes(seconds, memory, recordSize);
    return QStringLiteral("%1 dnů, %2 hodin, %3 minut")
        .arg(minutes / 1440)
        .arg((minutes % 1440) / 60)
        .arg(minutes % 60);
}

} // namespace analysers_vk
