#pragma once

#include "model/PrevodTyp.h"
#include "model/StreamHelpers.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

// The index part of a meter stream, whatever its blocks hold: blocks lie
// back to back from the stream's start; behind them the (key, entry count)
// pair of every block and last the number of blocks (1..kMaxBlocks). An
// append writes the new data and the new index while the old index stays in
// force, and makes the new one current only at the end (by cutting the
// stream behind it), so a failure or a crash at any step leaves the old
// archive readable and this index in step with the stream.
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
    // The same with one block more (key and entry count given).
    BOOL CommitBlock(ISeekableByteStream& stream, const QByteArray& block, DWORD key, DWORD count);

    int GetBlockCount() const { return int(m_keys.size()); }
    // 0 for a block not in the index.
    DWORD GetKey(int i) const { return i >= 0 && i < GetBlockCount() ? m_keys[std::size_t(i)] : 0; }
    DWORD GetEntryCount(int i) const { return i >= 0 && i < GetBlockCount() ? m_counts[std::size_t(i)] : 0; }
    // Offset of block n in the stream.
    std::int64_t BlockOffset(int n) const;

private:
    static QByteArray IndexBytes(const std::vector<DWORD>& keys, const std::vector<DWORD>& counts);

    BlockSizeFn m_blockSize;
    std::vector<DWORD> m_keys;
    std::vector<DWORD> m_counts;
};

// Every meter-archive block begins with the tariff image as a blob and the
// transformer multiplier (float bits, little-endian) as a 4-byte blob.
void WriteMeterBlockHead(IByteStream& out, const BYTE* tarif, int tarifSize, float multiplier);
// FALSE for a blob of the wrong length or a short stream.
BOOL ReadMeterBlockHead(IByteStream& in, int tarifSize, QByteArray& tarif, float& multiplier);
