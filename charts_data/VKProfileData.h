#pragma once

#include "charts_data/ProfileData.h"

#include <array>

// A minute of a VK profile as the instrument sends it (17 bytes, words
// big-endian): U1..U3 (0xFFFF no value), I1..I3 and I4 (signed, by
// magnitude; 0x7FFF no value), PF1..PF3 (signed bytes; 0x7F no value).
struct CVKProfileRecord {
    static constexpr WORD kNoVoltage = 0xFFFF;
    static constexpr int kNoCurrent = 0x7FFF;
    static constexpr int kNoPowerFactor = 0x7F;

    std::array<WORD, 3> u{};
    std::array<int, 4> i{};
    std::array<int, 3> pf{};

    static CVKProfileRecord Decode(const BYTE* raw);
};

class CVKProfileData : public CProfileData {
public:
    static constexpr int kQuantityCount = 10;

    CVKProfileData() : CProfileData(kQuantityCount) {}

    int GetType() const override { return int(charts::kProfileTypeVK); }
    QString GetQuantityName(int index) const override;
    void Load(int mode) override;
    // The cursor minute from the hour table; power factors unfolded.
    CProfileValueTexts GetValueTexts() const override;

    const charts::CVKProfileFile& GetFile() const { return m_file; }
    // The identification and settings stored in the profile's file, for the
    // read-only settings sheets; FALSE with the error text set when the file
    // cannot be read whole (the records untouched).
    BOOL ReadSettings(CIden& iden, CVKConfig& config)
    {
        return ReadStoredSettings<charts::CVKProfileFile>(iden, config);
    }
    // The records of the cursor's hour, by minute of the hour.
    const std::array<CVKProfileRecord, 60>& GetHourTable() const { return m_hourTable; }

    // Point values; NaN for a gap.
    double VoltageValue(const CVKProfileRecord& r, int phase) const;
    double CurrentValue(const CVKProfileRecord& r, int index) const;
    double PowerFactorValue(const CVKProfileRecord& r, int phase) const;

protected:
    QString ReadFile(const QByteArray& bytes) override;

private:
    charts::CVKProfileFile m_file;
    std::array<CVKProfileRecord, 60> m_hourTable{};
};
