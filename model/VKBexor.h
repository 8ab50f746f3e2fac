#pragma once

#include "model/MeterStream.h"
#include "model/PrevodTyp.h"
#include "model/VKEnergy.h"

#include <QString>

#include <cstdint>
#include <vector>

// One reading of the VK energy meter kept in the meter archive.
class CBexorEntry {
public:
    static constexpr int kStreamSize = (CVKEData::kCounters + 1) * 4;

    CBexorEntry() = default;
    CBexorEntry(CTime time, const DWORD* counters);

    CTime GetTime() const { return m_time; }
    void SetTime(CTime t) { m_time = t; }
    DWORD GetCounter(int i) const { return m_counters[i]; }
    void SetCounter(int i, DWORD v) { m_counters[i] = v; }
    const DWORD* GetCounters() const { return m_counters; }

private:
    CTime m_time;
    DWORD m_counters[CVKEData::kCounters] = {};
};

// Readings taken under one tariff table and one transformer multiplier.
class CBexorBlock {
public:
    // Tariff blob, multiplier blob; the entries follow.
    static constexpr int kHeaderSize = 4 + CVKETarif::kImageSize + 4 + 4;

    void Clear();
    static std::int64_t StreamSize(std::int64_t entries) { return kHeaderSize + entries * CBexorEntry::kStreamSize; }

    int GetEntryCount() const { return int(m_entries.size()); }
    // Drops the old entries.
    void SetEntryCount(int n);
    CBexorEntry& GetEntry(int i) { return m_entries[std::size_t(i)]; }
    const CBexorEntry& GetEntry(int i) const { return m_entries[std::size_t(i)]; }
    // VT ratio times CT ratio when the block was started: counter times
    // multiplier times 0.001 is kWh or kvarh.
    float GetMultiplier() const { return m_multiplier; }
    void SetMultiplier(float m) { m_multiplier = m; }
    CVKETarif& GetTarif() { return m_tarif; }
    const CVKETarif& GetTarif() const { return m_tarif; }

private:
    float m_multiplier = 1.0f;
    CVKETarif m_tarif;
    std::vector<CBexorEntry> m_entries;
};

// Index of the VK meter archive; the key of a block is its time.
class CBexorIndex {
public:
    static constexpr DWORD kMaxBlocks = CMeterStreamIndex::kMaxBlocks;

    BOOL Read(ISeekableByteStream& stream) { return m_index.Read(stream); }
    BOOL ReadBlock(ISeekableByteStream& stream, int n, CBexorBlock& block) const;
    BOOL AppendEntry(ISeekableByteStream& stream, CTime time, const DWORD* counters);
    BOOL AppendBlock(ISeekableByteStream& stream, CTime time, const CBexorBlock& block, const CBexorEntry& entry);

    int GetBlockCount() const { return m_index.GetBlockCount(); }
    CTime GetLastTime() const { return CTime(m_index.GetKey(GetBlockCount() - 1)); }
    CTime GetBlockTime(int i) const { return CTime(m_index.GetKey(i)); }
    DWORD GetEntryCount(int i) const { return m_index.GetEntryCount(i); }
    QString FormatBlockTime(int i) const;

private:
    CMeterStreamIndex m_index{&CBexorBlock::StreamSize};
};
