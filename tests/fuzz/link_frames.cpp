// The link's frame readers over whatever arrives on the line: replies in
// both frame formats read through CLink's exchanges (ReceiveA and ReceiveB
// with their resynchronising on the frame head), the identification probe
// and the family reads that decode the replies into records.
#include "fuzz_one.h"
#include "tests/link/AcceptingPort.h"

#include "link/CommandsController.h"
#include "link/CommandsVK.h"
#include "link/CommandsVKT.h"
#include "link/Frames.h"
#include "link/Link.h"
#include "link/LinkClock.h"
#include "link/PortList.h"
#include "link/SerialPort.h"
#include "model/AktData.h"
#include "model/DuskarAktData.h"
#include "model/Iden.h"
#include "model/QorinAktData.h"
#include "model/VKAktData.h"
#include "model/VKStatus.h"
#include "model/VKTStatus.h"
#include "platform/StringIds.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The line: its bytes come from the input, in pieces the input also sets;
// written requests go nowhere.
class InputPort final : public AcceptingPort {
public:
    InputPort(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    int Read(BYTE* data, int count, PortFault&) override
    {
        if (m_pos >= m_size || count <= 0)
            return 0;
        // A piece of at most the input's next byte (0: everything asked).
        const int piece = m_data[m_pos++];
        const int n = int(std::min<std::size_t>(std::size_t(piece == 0 ? count : std::min(piece, count)),
                                                m_size - m_pos));
        std::memcpy(data, m_data + m_pos, std::size_t(n));
        m_pos += std::size_t(n);
        return n;
    }
    int BytesWaiting() override { return int(m_size - std::min(m_pos, m_size)); }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Time moves on every look, so that every wait ends.
class RunningClock final : public ILinkClock {
public:
    std::int64_t NowSeconds() override { return m_now += 5; }
    void Sleep(DWORD) override {}
    void PreciseWait(DWORD) override {}

private:
    std::int64_t m_now = 1000;
};

class OnePort final : public IPortList {
public:
    explicit OnePort(int retries) : m_retries(retries) {}
    void Refresh() override {}
    bool Find(const QString& name, CPortEntry& entry) override
    {
        entry.name = name;
        entry.retryCount = m_retries;
        return true;
    }

private:
    int m_retries;
};

} // namespace

int QorinFuzzOne(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const WORD address = data[0];
    const int retries = data[1] % 3;
    const int replyA = 4 + data[2] % (frames::kMaxFrameA - 3);
    data += 3;
    size -= 3;

    RunningClock clock;
    OnePort ports(retries);
    auto port = std::make_shared<InputPort>(data, size);
    LinkServices services{&ports, &clock, [port](const QString&, PortFault&) { return port; }};
    CLink link(services, 1);
    if (!link.Open(QStringLiteral("COM1"), address))
        return 0;
    std::array<BYTE, 70000> out{};
    const int sum = platform::IDS_ERR_ACK_CHECKSUM;
    link.ExchangeA(0x10, nullptr, 0, replyA, sum, out.data());
    link.ExchangeAckA(0x11, out.data(), 4, sum);
    link.ExchangeB(0x20, nullptr, 0, 6 + int(size % 600), sum, out.data(), true);
    BYTE result = 0;
    link.ExchangeShortB(0x21, out.data(), 2, sum, &result);
    CIden iden;
    link.ReadIdentification(iden);
    link.ReadIdentificationProbe(iden);
    CQorinAktData qorin;
    commands::ReadQorinValues(link, qorin);
    CDuskarAktData duskar;
    commands::ReadDuskarValues(link, duskar);
    CVKStatus vkStatus;
    commands::ReadVKStatus(link, vkStatus);
    CVKAktData vk;
    commands::ReadVKValues(link, vk);
    CVKTStatus vktStatus;
    commands::ReadVKTStatus(link, vktStatus);
    CAktData vkt;
    commands::ReadVKTValues(link, vkt, 0xFFFF);
    link.Close();
    return 0;
}

FuzzSeeds QorinFuzzSeeds()
{
    FuzzSeeds seeds;
    // Address 1, no retries, a 10-byte format-A reply, then a format-B one.
    std::vector<std::uint8_t> s{1, 0, 6};
    BYTE a[frames::kMaxFrameA];
    const BYTE dataA[6] = {1, 2, 3, 4, 5, 6};
    const int lenA = frames::BuildRequestA(a, 1, 0x10, dataA, 6);
    s.push_back(0);
    s.insert(s.end(), a, a + lenA);
    BYTE b[64];
    const BYTE dataB[8] = {9, 8, 7, 6, 5, 4, 3, 2};
    const int lenB = frames::BuildRequestB(b, 1, 0x20, dataB, 8);
    s.push_back(3);
    s.insert(s.end(), b, b + 3);
    s.push_back(0);
    s.insert(s.end(), b + 3, b + lenB);
    seeds.push_back({"a_then_b", s});
    seeds.push_back({"garbage_then_head", {1, 2, 20, 7, 0xFF, 0x01, 0x09, 0x00, 0x55, 0x01, 0x09, 0x10, 1, 2, 3, 4, 5,
                                           6, 7, 8, 0x2E}});
    return seeds;
}
