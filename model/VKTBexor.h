#pragma once

#include "model/StreamHelpers.h"
#include "model/VKBexor.h" // ISeekableByteStream
#include "model/VKTEnergy.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

// One block of the VKT meter archive: readings taken under one tariff table,
// one interval code and one transformer multiplier.
class CVKTBexorBlock {
public:
    // Tariff blob (4 + 8), multiplier blob (4 + 4), interval code (4).
    static constexpr int kHeaderSize = 24;
    // Registers of groups 0..6 (doubles), then the time.
    static constexpr int kEntrySize = CVKTEData::kGroups * CVKTEData::kRegisters * 8 + 4;
    static std::int64_t StreamSize(std::int64_t entries) { return kHeaderSize + entries * kEntrySize; }

    // Zeroes the tariff codes and drops the entries.
    void Clear();
    // Time of the last entry; 0 when the block has none.
    CTime GetLastTime() const;

    DWORD GetEntryCount() const { return DWORD(m_entries.size()); }
    const CVKTEData& GetEntry(int i) const { return m_entries[std::size_t(i)]; }
    const std::vector<CVKTEData>& GetEntries() const { return m_entries; }
    void SetEntries(std::vector<CVKTEData> entries) { m_entries = std::move(entries); }
    // Meter-archive interval code 0..4 when the block was begun.
    DWORD GetIntervalCode() const { return m_intervalCode; }
    void SetIntervalCode(DWORD v) { m_intervalCode = v; }
    // Voltage ratio × current ratio when the block was begun.
    float GetMultiplier() const { return m_multiplier; }
    void SetMultiplier(float v) { m_multiplier = v; }
    const CVKTETarif& GetTarif() const { return m_tarif; }
    CVKTETarif& GetTarif() { return m_tarif; }

private:
    DWORD m_intervalCode = 0;
    float m_multiplier = 1.0f;
    CVKTETarif m_tarif;
    std::vector<CVKTEData> m_entries;
};

// Index of the VKT meter archive: blocks back to back from the stream's
// start, then per block its key (the meter's reset time) and entry count,
// then the block count. Appends keep the old index in force until the new
// one is complete, so that a failure leaves the archive readable as it was
// and this index in step with the stream.
class CVKTBexorIndex {
public:
    static constexpr DWORD kMaxBlocks = CBexorIndex::kMaxBlocks;

    // FALSE (and an empty index) for a stream without a usable index.
    BOOL Read(ISeekableByteStream& stream);
    BOOL ReadBlock(ISeekableByteStream& stream, int n, CVKTBexorBlock& block) const;
    // Begins a block, with its first entry when one is given.
    BOOL AppendBlock(ISeekableByteStream& stream, const CVKTETarif& tarif, float multiplier, DWORD intervalCode,
                     CTime key, const CVKTEData* first);
    // Adds an entry to the last block.
    BOOL AppendEntry(ISeekableByteStream& stream, const CVKTEData& entry);

    int GetBlockCount() const { return int(m_keys.size()); }
    CTime GetKey(int i) const;
    // Key of the last block; 0 when there is none.
    CTime GetLastKey() const { return m_keys.empty() ? CTime(0) : CTime(m_keys.back()); }
    DWORD GetEntryCount(int i) const;
    // Offset of block n in the stream.
    std::int64_t BlockOffset(int n) const;

private:
    BOOL Commit(ISeekableByteStream& stream, const QByteArray& data, std::vector<DWORD> keys,
                std::vector<DWORD> counts);

    std::vector<DWORD> m_keys;
    std::vector<DWORD> m_counts;
};

// The index at the end of a meter stream: per block its key and entry count,
// then the block count (1..maxBlocks). FALSE, with keys and counts
// untouched, when the stream has no index or its blocks would not fit.
BOOL ReadMeterIndex(ISeekableByteStream& stream, int headerSize, int entrySize, DWORD maxBlocks,
                    std::vector<DWORD>& keys, std::vector<DWORD>& counts);
// The bytes of such an index; none for no blocks.
QByteArray MeterIndexBytes(const std::vector<DWORD>& keys, const std::vector<DWORD>& counts);

// Replaces the index at the end of a meter stream by data followed by a new
// index, both written from blocksEnd on. Before the old index is overwritten
// a copy of it goes past the new end, and only the final cut behind the new
// index makes that one current: a failure or a crash at any step leaves a
// readable stream.
BOOL ReplaceMeterTail(ISeekableByteStream& stream, std::int64_t blocksEnd, const QByteArray& oldIndex,
                      const QByteArray& tail);
