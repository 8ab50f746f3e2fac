// Reads of the analysers' own archives: block by block (a request for each
// reply) or as a stream (one request, the replies as they come, and the
// replies that went missing asked for again afterwards).
#include "link/ArchiveReads.h"

#include "link/Frames.h"

#include "model/UniTyp.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr BYTE kArchiveBlock = 0x16;
constexpr BYTE kArchiveStreamA = 0x3B;

// Format A reply: [address][length][0][index, 4][1 byte][records][sum].
constexpr int kReplyOverheadA = 9;
constexpr int kIndexA = 0; // in the reply's data (behind the status byte)
constexpr int kRecordsA = 5;
// Format B reply: [address][L, 2][0x16][1 byte][index, 4][2 bytes][records][CRC, 2].
constexpr int kReplyOverheadB = 13;
constexpr int kIndexB = 1; // in the reply's data (behind the command byte)
constexpr int kRecordsB = 7;

// Failed replies in a row that end a stream, on links that wait for their
// reads; the others give up at the first.
constexpr int kStreamTries = 3;
// A stream names its replies in one byte.
constexpr int kMaxStreamReplies = 256;

// Replies a stream skipped: `replies` of them from record `index` on.
struct Gap {
    DWORD index;
    int replies;
};

enum class Arrival { Good, Bad, Silent };

// Takes the replies of a stream of `blocks` replies of `items` records from
// `first` on into `dest`, noting the replies that were skipped. Calls
// receive(index, records) for each reply, and stray() for a good reply
// that does not belong where the stream stands.
template <class Receive, class Stray>
bool CollectStream(Receive&& receive, Stray&& stray, BYTE* dest, int itemSize, int items, int blocks, DWORD first,
                   int tries, bool gapOnSilence, std::vector<Gap>& gaps)
{
    const std::int64_t start = first;
    const std::int64_t end = start + std::int64_t(items) * blocks;
    const std::size_t bytes = std::size_t(items) * std::size_t(itemSize);
    std::int64_t expected = start;
    int failed = 0;
    while (expected < end) {
        DWORD index = 0;
        const BYTE* records = nullptr;
        const Arrival arrival = receive(index, records);
        if (arrival == Arrival::Good) {
            const std::int64_t at = index;
            const bool inStep = at >= expected && at < end && (at - expected) % items == 0;
            if (inStep) {
                if (at > expected)
                    gaps.push_back({DWORD(expected), int((at - expected) / items)});
                std::memcpy(dest + std::size_t(at - start) * std::size_t(itemSize), records, bytes);
                expected = at + items;
                failed = 0;
                continue;
            }
            stray();
        } else if (arrival == Arrival::Silent && gapOnSilence && 2 * (expected - start) > end - start) {
            // The line fell silent after most of the stream: the rest is
            // one gap, read with the others.
            gaps.push_back({DWORD(expected), int((end - expected) / items)});
            return true;
        }
        if (++failed >= tries)
            return false;
    }
    return true;
}

// Whether a request can carry the shape, and the record can hold it.
bool FitsA(int itemSize, int items, int blocks, bool stream)
{
    if (itemSize < 1 || items < 1 || blocks < 0)
        return false;
    const std::int64_t replyLen = std::int64_t(items) * itemSize + kReplyOverheadA;
    if (replyLen > frames::kMaxFrameA || std::int64_t(items) * itemSize * blocks > 0x7FFFFFFF)
        return false;
    return !stream || (items <= 0xFF && blocks <= kMaxStreamReplies);
}

bool FitsB(int itemSize, int items, int blocks)
{
    if (itemSize < 1 || items < 1 || items > 0xFFFF || blocks < 0 || blocks > kMaxStreamReplies)
        return false;
    const std::int64_t dataLen = std::int64_t(items) * itemSize + kReplyOverheadB - frames::kOverheadB;
    return dataLen <= 0xFFFF && dataLen * blocks <= 0x7FFFFFFF;
}

void PutIndex(BYTE* p, DWORD index)
{
    CPrevodTyp::PutDword(p, index);
}

// Archive streams: `dest` holds the records from `first` on.
BOOL StreamA(CLink& link, BYTE* dest, int itemSize, int items, int blocks, DWORD first)
{
    const int bytes = items * itemSize;
    BYTE request[7];
    PutIndex(request, first);
    request[4] = BYTE(bytes);
    request[5] = BYTE(blocks - 1);
    request[6] = BYTE(items);
    if (!link.SendRequestA(kArchiveStreamA, request, int(sizeof request)))
        return FALSE;

    const int replyLen = bytes + kReplyOverheadA;
    std::vector<BYTE> data(static_cast<std::size_t>(replyLen));
    auto receive = [&](DWORD& index, const BYTE*& records) {
        int got = 0;
        if (!link.ReceiveA(replyLen, {}, platform::IDS_ERR_ACK_CHECKSUM, data.data(), got, true))
            return Arrival::Bad;
        index = CPrevodTyp::GetDword(data.data() + kIndexA);
        records = data.data() + kRecordsA;
        return Arrival::Good;
    };
    auto stray = [&link] { link.SetError(platform::IDS_ERR_BAD_REPLY); };
    std::vector<Gap> gaps;
    if (!CollectStream(receive, stray, dest, itemSize, items, blocks, first, kStreamTries, false, gaps)) {
        // What is left of the stream must not meet the next request.
        link.PurgeLine();
        return FALSE;
    }
    for (const Gap& gap : gaps) {
        if (!StreamA(link, dest + std::size_t(gap.index - first) * std::size_t(itemSize), itemSize, items, gap.replies,
                     gap.index))
            return FALSE;
    }
    return TRUE;
}

BOOL StreamB(CLink& link, BYTE* dest, BYTE area, int itemSize, int items, int blocks, DWORD first)
{
    BYTE request[8];
    request[0] = area;
    PutIndex(request + 1, first);
    request[5] = BYTE(items >> 8);
    request[6] = BYTE(items);
    request[7] = BYTE(blocks - 1);
    if (!link.SendRequestB(kArchiveBlock, request, int(sizeof request)))
        return FALSE;

    const int bytes = items * itemSize;
    const int replyLen = bytes + kReplyOverheadB;
    std::vector<BYTE> data(std::size_t(bytes + kRecordsB));
    auto receive = [&](DWORD& index, const BYTE*& records) {
        int kept = 0;
        if (!link.ReceiveB(kArchiveBlock, replyLen, platform::IDS_ERR_ACK_CHECKSUM, data.data(), false, kept, true))
            return kept == 0 ? Arrival::Silent : Arrival::Bad;
        index = CPrevodTyp::GetDword(data.data() + kIndexB);
        records = data.data() + kRecordsB;
        return Arrival::Good;
    };
    auto stray = [&link] { link.SetError(platform::IDS_ERR_BAD_REPLY); };
    std::vector<Gap> gaps;
    const int tries = link.WaitsForReads() ? kStreamTries : 1;
    if (!CollectStream(receive, stray, dest, itemSize, items, blocks, first, tries, true, gaps)) {
        link.PurgeLine();
        return FALSE;
    }
    for (const Gap& gap : gaps) {
        if (!StreamB(link, dest + std::size_t(gap.index - first) * std::size_t(itemSize), area, itemSize, items,
                     gap.replies, gap.index))
            return FALSE;
    }
    return TRUE;
}

} // namespace

namespace commands {

BOOL ReadArchiveBlock(CLink& link, CUniTyp& target, int itemSize, int items, int blocks, DWORD first)
{
    if (!FitsA(itemSize, items, blocks, false)) {
        link.SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    target.SetSize(DWORD(items * blocks), DWORD(itemSize));
    if (blocks == 0)
        return TRUE;
    if (!link.Prepare())
        return FALSE;
    const int bytes = items * itemSize;
    std::vector<BYTE> data(std::size_t(bytes + kRecordsA));
    for (int j = 0; j < blocks; ++j) {
        BYTE request[5];
        PutIndex(request, first + DWORD(j * items));
        request[4] = BYTE(bytes);
        if (!link.ExchangeA(kArchiveBlock, request, int(sizeof request), bytes + kReplyOverheadA,
                       platform::IDS_ERR_ACK_CHECKSUM, data.data()))
            return FALSE;
        std::memcpy(target.GetItem(DWORD(j * items)), data.data() + kRecordsA, std::size_t(bytes));
    }
    return TRUE;
}

BOOL ReadArchiveRecords(CLink& link, CUniTyp& target, int itemSize, int items, int blocks, DWORD first)
{
    if (!FitsA(itemSize, items, blocks, true)) {
        link.SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    target.SetSize(DWORD(items * blocks), DWORD(itemSize));
    if (blocks == 0)
        return TRUE;
    return link.Prepare() && StreamA(link, target.GetData(), itemSize, items, blocks, first);
}

BOOL ReadVKTArchiveBlock(CLink& link, CUniTyp& target, BYTE area, int itemSize, int items, DWORD first)
{
    if (!FitsB(itemSize, items, 1)) {
        link.SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    target.SetSize(DWORD(items), DWORD(itemSize));
    BYTE request[8];
    request[0] = area;
    PutIndex(request + 1, first);
    request[5] = BYTE(items >> 8);
    request[6] = BYTE(items);
    request[7] = 0;
    const int bytes = items * itemSize;
    std::vector<BYTE> data(std::size_t(bytes + kRecordsB));
    if (!link.ReadB(kArchiveBlock, bytes + kRecordsB, platform::IDS_ERR_ACK_CHECKSUM, data.data(), request,
               int(sizeof request)))
        return FALSE;
    std::memcpy(target.GetData(), data.data() + kRecordsB, std::size_t(bytes));
    return TRUE;
}

BOOL ReadVKTArchiveRecords(CLink& link, CUniTyp& target, BYTE area, int itemSize, int items, int blocks, DWORD first)
{
    if (!FitsB(itemSize, items, blocks)) {
        link.SetError(platform::IDS_ERR_SEND_REQUEST);
        return FALSE;
    }
    target.SetSize(DWORD(items * blocks), DWORD(itemSize));
    if (blocks == 0)
        return TRUE;
    return link.Prepare() && StreamB(link, target.GetData(), area, itemSize, items, blocks, first);
}

} // namespace commands
