#pragma once

#include "model/MeterStream.h"
#include "model/VKTEnergy.h"

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

// Index of the VKT meter archive; the key of a block is the meter's reset
// time.
class CVKTBexorIndex {
public:
    static constexpr DWORD kMaxBlocks = CMeterStreamIndex::kMaxBlocks;

    // FALSE (and an empty index) for a stream without a usable index.
    BOOL Read(ISeekableByteStream& stream) { return m_index.Read(stream); }
    BOOL ReadBlock(ISeekableByteStream& stream, int n, CVKTBexorBlock& block) const;
    // Begins a block, with its first entry when one is given.
    BOOL AppendBlock(ISeekableByteStream& stream, const CVKTETarif& tarif, float multiplier, DWORD intervalCode,
                     CTime key, const CVKTEData* first);
    // Adds an entry to the last block.
    BOOL AppendEntry(ISeekableByteStream& stream, const CVKTEData& entry);

    int GetBlockCount() const { return m_index.GetBlockCount(); }
    // 0 for a block not in the index.
    CTime GetKey(int i) const { return CTime(m_index.GetKey(i)); }
    // Key of the last block; 0 when there is none.
    CTime GetLastKey() const { return GetKey(GetBlockCount() - 1); }
    DWORD GetEntryCount(int i) const { return m_index.GetEntryCount(i); }
    // Offset of block n in the stream.
    std::int64_t BlockOffset(int n) const { return m_index.BlockOffset(n); }

private:
    CMeterStreamIndex m_index{&CVKTBexorBlock::StreamSize};
};
