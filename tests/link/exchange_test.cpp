// Exchanges with a simulated instrument on a pseudo-terminal: the frame
// checks, the readers' resynchronisation and the error texts a failure
// leaves in the link.
#include "LinkTestSupport.h"

#include "model/Iden.h"
#include "platform/StringIds.h"

using linktest::SimLineTest;
using sim::Family;
using sim::Faults;
using sim::Format;
using sim::Instrument;

namespace {

constexpr BYTE kReadConfigA = 0x16; // Qorin configuration: 66 data bytes
constexpr int kConfigReplyA = 70;
constexpr BYTE kReadConfigB = 0x26; // VKT configuration: 35 data bytes
constexpr BYTE kWriteConfigB = 0x27;
constexpr int kConfigReplyB = 41;

const QString kBadReply = QStringLiteral("Chybná nebo žádná odpověď.");

class ExchangeTest : public SimLineTest {
protected:
    BOOL ReadConfigA(DWORD id)
    {
        return manager.Request(id, [&](CLink& link) {
            return link.Prepare() && link.ExchangeA(kReadConfigA, nullptr, 0, kConfigReplyA, platform::IDS_ERR_CHECKSUM, data);
        });
    }
    BOOL ReadConfigB(DWORD id)
    {
        return manager.Request(id, [&](CLink& link) {
            return link.Prepare() && link.ExchangeB(kReadConfigB, nullptr, 0, kConfigReplyB, platform::IDS_ERR_CHECKSUM, data);
        });
    }
    BOOL WriteConfigB(DWORD id)
    {
        return manager.Request(id, [&](CLink& link) {
            return link.Prepare() && link.ExchangeShortB(kWriteConfigB, data, 35, platform::IDS_ERR_ACK_CHECKSUM);
        });
    }

    BYTE data[256] = {};
};

struct IdentCase {
    Format instrumentFormat;
    int kind;
    int retries;
};

TEST(IdentificationTest, AcceptsEitherReplyFormat)
{
    const IdentCase cases[] = {
        {Format::A, kPortKindSerial, 0},
        {Format::A, kPortKindSerial, 2},
        {Format::B, kPortKindSerial, 0}, // format-B reply to the format-A request
        {Format::B, kPortKindSerial, 2},
        {Format::B, kPortKindVkt, 0},
        {Format::B, kPortKindVkt, 2},
    };
    for (const IdentCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << int(c.instrumentFormat) << " kind " << c.kind << " retries " << c.retries);
        linktest::SimLine f;
        f.StartLine({Instrument(Family::VKT, 4, c.instrumentFormat)}, c.retries, c.kind);
        const DWORD id = f.OpenLink(4);
        CIden iden;
        ASSERT_TRUE(f.manager.Request(id, &CLink::ReadIdentification, iden)) << f.Error(id).toStdString();
        EXPECT_EQ(iden.number, 1004);
        EXPECT_EQ(iden.family, CIden::kFamilyAnalyser);
        EXPECT_EQ(iden.version, 0x21);
        EXPECT_EQ(f.line.NoiseBytes(), 0);
    }
}

TEST_F(ExchangeTest, StrayBytesAreSkippedWhenRetriesAreOn)
{
    StartLine({Instrument(Family::Qorin, 1), Instrument(Family::VKT, 2)}, 1);
    const DWORD a = OpenLink(1);
    const DWORD b = OpenLink(2);
    line.SetFaults(Faults{.strayBytes = 3});
    ASSERT_TRUE(ReadConfigA(a)) << Error(a).toStdString();
    EXPECT_EQ(data[0], 0x16); // first byte of the simulated block
    line.SetFaults(Faults{.strayBytes = 5});
    ASSERT_TRUE(ReadConfigB(b)) << Error(b).toStdString();
    EXPECT_EQ(data[1], 0x26 + 7);
}

TEST_F(ExchangeTest, WithoutRetriesTheFirstReadIsFinal)
{
    StartLine({Instrument(Family::Qorin, 1)}, 0);
    const DWORD id = OpenLink(1);
    line.SetFaults(Faults{.strayBytes = 2});
    EXPECT_FALSE(ReadConfigA(id));
    EXPECT_EQ(Error(id), kBadReply);
    // A reply that comes after the read bound fails on its head.
    line.SetFaults(Faults{.lateMs = 1500 * int(linktest::kReadStretch)});
    EXPECT_FALSE(ReadConfigA(id));
    EXPECT_EQ(Error(id), kBadReply);
    EXPECT_EQ(clock.CountSleeps(100), 0); // no waiting before reads without retries
}

TEST_F(ExchangeTest, OverLongReplyFailsAndLeavesNothingBehind)
{
    StartLine({Instrument(Family::Qorin, 1)}, 0);
    for (int retries : {0, 2}) {
        SCOPED_TRACE(retries);
        ports.Add(port, retries);
        const DWORD id = OpenLink(1);
        line.SetFaults(Faults{.extraBytes = 4});
        EXPECT_FALSE(ReadConfigA(id));
        EXPECT_EQ(Error(id), kBadReply);
        // The tail did not stay on the line for the next request.
        EXPECT_TRUE(ReadConfigA(id)) << Error(id).toStdString();
        manager.Unregister(id);
    }
}

TEST_F(ExchangeTest, RefusalWinsOverBadCrc)
{
    StartLine({Instrument(Family::VKT, 3)}, 0, kPortKindVkt);
    const DWORD id = OpenLink(3);
    line.SetFaults(Faults{.badChecksum = true, .refusal = true});
    EXPECT_FALSE(WriteConfigB(id));
    EXPECT_EQ(Error(id), QStringLiteral("Chyba při zpracování dat přístrojem."));
    line.SetFaults(Faults{.badChecksum = true});
    EXPECT_FALSE(WriteConfigB(id));
    EXPECT_EQ(Error(id), QStringLiteral("Kontrolní součet potvrzení příkazu chybný."));
    EXPECT_TRUE(WriteConfigB(id)) << Error(id).toStdString();
}

TEST_F(ExchangeTest, FaultsGiveTheirTexts)
{
    StartLine({Instrument(Family::Qorin, 1), Instrument(Family::VKT, 2)}, 0);
    const DWORD a = OpenLink(1);
    const DWORD b = OpenLink(2);
    struct Case {
        const char* what;
        Faults faults;
        QString text;
    } cases[] = {
        {"bad sum", Faults{.badChecksum = true}, QStringLiteral("Kontrolní součet chybný.")},
        {"wrong address", Faults{.wrongAddress = true}, kBadReply},
        {"status not 0", Faults{.refusal = true}, kBadReply}, // format A: the sum is not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line.SetFaults(c.faults);
        EXPECT_FALSE(ReadConfigA(a));
        EXPECT_EQ(Error(a), c.text);
        if (std::string(c.what) != "status not 0") {
            line.SetFaults(c.faults);
            EXPECT_FALSE(ReadConfigB(b));
            EXPECT_EQ(Error(b), c.text);
        }
    }
    EXPECT_TRUE(ReadConfigA(a));
    EXPECT_TRUE(ReadConfigB(b));
}

TEST_F(ExchangeTest, ProbeLearnsTheAddressOnlyFromAGoodReply)
{
    Instrument analyser(Family::VKT, 9);
    analyser.answersAnyAddress = true;
    StartLine({analyser}, 1, kPortKindVkt);
    const DWORD id = OpenLink(0);
    CIden iden;
    int address = 0;
    line.SetFaults(Faults{.badChecksum = true});
    EXPECT_FALSE(manager.ReadIdentificationProbe(id, iden, address));
    EXPECT_EQ(Error(id), QStringLiteral("Kontrolní součet potvrzení příkazu chybný."));
    // Had the bad reply taught the address, this read would succeed.
    EXPECT_FALSE(manager.Request(id, &CLink::ReadIdentification, iden));

    ASSERT_TRUE(manager.ReadIdentificationProbe(id, iden, address)) << Error(id).toStdString();
    EXPECT_EQ(address, 9);
    EXPECT_EQ(iden.number, 1009);
    EXPECT_TRUE(manager.Request(id, &CLink::ReadIdentification, iden)) << Error(id).toStdString();
}

TEST_F(ExchangeTest, ProbeElsewhereIsAPlainIdentification)
{
    StartLine({Instrument(Family::VK, 5)}, 0);
    const DWORD id = OpenLink(5);
    CIden iden;
    int address = 0;
    ASSERT_TRUE(manager.ReadIdentificationProbe(id, iden, address)) << Error(id).toStdString();
    EXPECT_EQ(address, -1);
    EXPECT_EQ(iden.number, 1005);
}

TEST_F(ExchangeTest, VanishedAnalyserPortFailsWithoutHanging)
{
    StartLine({Instrument(Family::VKT, 1)}, 0, kPortKindVkt);
    const DWORD id = OpenLink(1);
    line.SetFaults(Faults{.closeLine = true});
    EXPECT_FALSE(ReadConfigB(id));
    // The line is gone: its port was closed with the failed read, and no
    // request tries it again before the pause; the try finds no device.
    EXPECT_FALSE(ReadConfigB(id));
    EXPECT_EQ(Error(id), QStringLiteral("Zařízení nenalezeno."));
    clock.now += 10;
    EXPECT_FALSE(ReadConfigB(id));
    EXPECT_EQ(Error(id), QStringLiteral("Zařízení nenalezeno."));
}

} // namespace
