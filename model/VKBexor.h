#pragma once

#include "model/PrevodTyp.h"
#include "model/StreamHelpers.h"
#include "model/VKEnergy.h"

#include <QString>

#include <cstdint>
#include <vector>

// A byte stream that can also be positioned and resized: the meter stream
// of an archive file, or a buffer in memory.
class ISeekableByteStream : public IByteStream {
public:
    enum Origin { FromBegin, FromCurrent, FromEnd };
    // The new position, or a negative number on failure.
    virtual std::int64_t Seek(std::int64_t offset, Origin origin) = 0;
    virtual BOOL SetSize(std::int64_t size) = 0;
};

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

// The index part of a meter stream, whatever its blocks hold: blocks lie
// back to back from the stream's start; behind them the (key, entry count)
// pair of every block and last the number of blocks. An append writes the
// new data and the new index while the old index stays in force, and makes
// the new one current only at the end (by cutting the stream behind it), so
// a failure at any step leaves the old archive readable and this index in
// step with the stream.
class CMeterStreamIndex {
public:
    static constexpr DWORD kMaxBlocks = 70000;
    // Bytes a block of the given number of entries takes in the stream.
    using BlockSizeFn = std::int64_t (*)(std::int64_t entries);

    explicit CMeterStreamIndex(BlockSizeFn blockSize) : m_blockSize(blockSize) {}

    // FALSE, and an empty index, for a stream without a usable index.
    BOOL Read(ISeekableByteStream& stream);
    // Positions the stream at block n; FALSE for a block not in the index.
    BOOL SeekBlock(ISeekableByteStream& stream, int n) const;
    // Writes data behind the last block, then the index of the given keys
    // and counts, and takes them over once all of it is in place.
    BOOL Commit(ISeekableByteStream& stream, const QByteArray& data, std::vector<DWORD> keys,
                std::vector<DWORD> counts);
    // The same with one entry more in the last block.
    BOOL CommitEntry(ISeekableByteStream& stream, const QByteArray& entry);
    // The same with one block more (key and first count given).
    BOOL CommitBlock(ISeekableByteStream& stream, const QByteArray& block, DWORD key, DWORD count);

    int GetBlockCount() const { return int(m_keys.size()); }
    DWORD GetKey(int i) const { return i >= 0 && i < GetBlockCount() ? m_keys[std::size_t(i)] : 0; }
    DWORD GetEntryCount(int i) const { return i >= 0 && i < GetBlockCount() ? m_counts[std::size_t(i)] : 0; }
    std::int64_t BlockOffset(int n) const;

private:
    static QByteArray IndexBytes(const std::vector<DWORD>& keys, const std::vector<DWORD>& counts);

    BlockSizeFn m_blockSize;
    std::vector<DWORD> m_keys;
    std::vector<DWORD> m_counts;
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
