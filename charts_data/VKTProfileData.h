#pragma once

#include "charts_data/ProfileData.h"

#include <array>

// A minute of a VKT profile (54 bytes, big-endian): the packed record time
// (4 bytes, the last the hour), U1..U3, I1..I3 (words), P1..P3, Q1..Q3,
// S1..S3 (IEEE singles), an outage counter and a seconds byte. Decoding
// checks the time against the minute it should be.
struct CVKTProfileRecord {
    bool valid = false;
    CTime time;
    std::array<WORD, 3> u{};
    std::array<WORD, 3> i{};
    std::array<float, 3> p{};
    std::array<float, 3> q{};
    std::array<float, 3> s{};
    int outages = 1;
    int missingSeconds = 60;

    // `counter`: the outage counter of the previous valid record, updated.
    static CVKTProfileRecord Decode(const BYTE* raw, CTime expected, BYTE& counter);
};

class CVKTProfileData : public CProfileData {
public:
    static constexpr int kQuantityCount = 23;
    // A minute with more of its seconds missing shows no values.
    static constexpr int kMaxMissingSeconds = 30;

    CVKTProfileData() : CProfileData(kQuantityCount) {}

    int GetType() const override { return int(charts::kProfileTypeVKT); }
    QString GetQuantityName(int index) const override;
    void Load(int mode) override;
    CProfileValueTexts GetValueTexts() const override;
    // The quantity is measured in the connection of the profile.
    bool IsMeasured(int quantity) const;

    const charts::CVKTProfileFile& GetFile() const { return m_file; }
    // The identification and settings stored in the profile's file, for the
    // read-only settings sheets; FALSE with the error text set when the file
    // cannot be read whole (the records untouched).
    BOOL ReadSettings(CIden& iden, CVKTConfig& config)
    {
        return ReadStoredSettings<charts::CVKTProfileFile>(iden, config);
    }
    const std::array<CVKTProfileRecord, 60>& GetHourTable() const { return m_hourTable; }

    // The 23 values of a minute in quantity order; NaN for a gap.
    std::array<double, kQuantityCount> Values(const CVKTProfileRecord& r) const;

protected:
    QString ReadFile(const QByteArray& bytes) override;

private:
    charts::CVKTProfileFile m_file;
    std::array<CVKTProfileRecord, 60> m_hourTable{};
};
