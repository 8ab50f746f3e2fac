#pragma once

#include "LinkTestSupport.h"

#include "tools/instrument_sim/SimChecksums.h"

#include <functional>
#include <string>
#include <vector>

namespace linktest {

using Frame = std::vector<BYTE>;

// Frames as the instruments expect them, built with the simulator's own
// checksums (not the link's).
inline Frame FrameA(BYTE address, BYTE command, Frame data = {})
{
    Frame f{address, BYTE(data.size() + 3), command};
    // Byte by byte: GCC 12 at -O2 misreads a range insert here as an overread.
    for (BYTE b : data)
        f.push_back(b);
    f.push_back(sim::Sum8(f.data(), f.size()));
    return f;
}

inline Frame FrameB(BYTE address, BYTE command, Frame data = {})
{
    Frame f{address, BYTE(data.size() >> 8), BYTE(data.size()), command};
    for (BYTE b : data)
        f.push_back(b);
    const WORD crc = sim::Crc16(f.data(), f.size());
    f.push_back(BYTE(crc >> 8));
    f.push_back(BYTE(crc));
    return f;
}

// A record's instrument image.
template <class Record>
std::vector<BYTE> Image(const Record& record)
{
    std::vector<BYTE> image(Record::kImageSize);
    record.ToRaw(image.data());
    return image;
}

// One request operation and the frame it must send; for writes whose data
// come from a record only the head and the length are given.
struct RequestCase {
    const char* name;
    std::function<BOOL(CLinkManager&, DWORD)> run;
    Frame expected; // the whole frame, or its first bytes
    std::size_t length = 0; // 0: `expected` is the whole frame
};

// Runs each case on a fresh request log and checks what went out, that the
// instrument answered and that the checksum closes the frame.
inline void CheckRequests(SimLine& line, DWORD id, const std::vector<RequestCase>& cases, bool formatB)
{
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.name);
        line.log.ClearWrites();
        EXPECT_TRUE(c.run(line.manager, id)) << line.Error(id).toStdString();
        const auto writes = line.log.Writes();
        ASSERT_FALSE(writes.empty());
        const Frame& sent = writes.front();
        if (c.length == 0) {
            EXPECT_EQ(sent, c.expected);
            continue;
        }
        ASSERT_EQ(sent.size(), c.length);
        EXPECT_EQ(Frame(sent.begin(), sent.begin() + std::ptrdiff_t(c.expected.size())), c.expected);
        if (formatB) {
            const WORD crc = sim::Crc16(sent.data(), sent.size() - 2);
            EXPECT_EQ(sent[sent.size() - 2], BYTE(crc >> 8));
            EXPECT_EQ(sent.back(), BYTE(crc));
        } else {
            EXPECT_EQ(sent.back(), sim::Sum8(sent.data(), sent.size() - 1));
        }
    }
}

// The error texts.
inline const QString kBadReply = QStringLiteral("Chybná nebo žádná odpověď.");
inline const QString kBadSum = QStringLiteral("Kontrolní součet chybný.");
inline const QString kBadAckSum = QStringLiteral("Kontrolní součet potvrzení příkazu chybný.");
inline const QString kRefused = QStringLiteral("Chyba při zpracování dat přístrojem.");
inline const QString kSendFailed = QStringLiteral("Chyba při odeslání dotazu.");

// One failure of a request and the text it must leave.
struct FailureCase {
    const char* name;
    sim::Faults faults;
    std::function<BOOL(CLinkManager&, DWORD)> run;
    QString text;
};

inline void CheckFailures(SimLine& line, DWORD id, const std::vector<FailureCase>& cases)
{
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        line.line.SetFaults(c.faults);
        EXPECT_FALSE(c.run(line.manager, id));
        EXPECT_EQ(line.Error(id), c.text);
        line.line.ClearFaults();
    }
}

} // namespace linktest
