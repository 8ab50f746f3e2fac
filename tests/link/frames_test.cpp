#include "link/Frames.h"
#include "link/SerialPort.h"
#include "tools/instrument_sim/SimChecksums.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<BYTE> RequestA(BYTE address, BYTE command, std::vector<BYTE> data = {})
{
    std::vector<BYTE> out(data.size() + frames::kOverheadA);
    out.resize(std::size_t(frames::BuildRequestA(out.data(), address, command, data.data(), int(data.size()))));
    return out;
}

std::vector<BYTE> RequestB(BYTE address, BYTE command, std::vector<BYTE> data = {})
{
    std::vector<BYTE> out(data.size() + frames::kOverheadB);
    out.resize(std::size_t(frames::BuildRequestB(out.data(), address, command, data.data(), int(data.size()))));
    return out;
}

TEST(Frames, GoldenRequests)
{
    EXPECT_EQ(RequestA(1, 0x16), (std::vector<BYTE>{0x01, 0x03, 0x16, 0x1A}));
    EXPECT_EQ(RequestA(1, 0x30), (std::vector<BYTE>{0x01, 0x03, 0x30, 0x34}));
    EXPECT_EQ(RequestA(1, 0x1C, {0xFF}), (std::vector<BYTE>{0x01, 0x04, 0x1C, 0xFF, 0x20}));
    EXPECT_EQ(RequestA(1, 0x1C, {0x00}), (std::vector<BYTE>{0x01, 0x04, 0x1C, 0x00, 0x21}));
    EXPECT_EQ(RequestB(1, 0x26), (std::vector<BYTE>{0x01, 0x00, 0x00, 0x26, 0x02, 0x80}));
    // The acknowledgement [a][3][0][a+3] carries its own sum.
    const BYTE ack[] = {7, 3, 0, 10};
    EXPECT_EQ(frames::Sum8(ack, 3), ack[3]);
}

TEST(Frames, CrcIsModbusArithmeticStoredHighByteFirst)
{
    const BYTE check[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0};
    EXPECT_EQ(frames::Crc16(check, 9), 0x4B37);
    BYTE frame[11];
    std::copy(std::begin(check), std::end(check), frame);
    frames::AppendCrc(frame, 9);
    EXPECT_EQ(frame[9], 0x4B);
    EXPECT_EQ(frame[10], 0x37);
    EXPECT_TRUE(frames::CheckCrc(frame, 9));
    frame[10] ^= 1;
    EXPECT_FALSE(frames::CheckCrc(frame, 9));
    // The running register continues a CRC over split data.
    EXPECT_EQ(frames::Crc16(check + 4, 5, frames::Crc16(check, 4)), 0x4B37);
}

// The simulator computes both checksums its own way; they must agree on
// anything, or a mistake could hide on both sides of the wire.
TEST(Frames, SimulatorChecksumsAgree)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<BYTE> data(std::size_t(random() % 300));
        for (BYTE& b : data)
            b = BYTE(random());
        ASSERT_EQ(frames::Crc16(data.data(), data.size()), sim::Crc16(data.data(), data.size()));
        ASSERT_EQ(frames::Sum8(data.data(), data.size()), sim::Sum8(data.data(), data.size()));
    }
}

TEST(Frames, HeadsOfBothFormats)
{
    const BYTE a[] = {5, 69, 0};
    EXPECT_TRUE(frames::IsHeadA(a, 3, 5, 70));
    EXPECT_FALSE(frames::IsHeadA(a, 3, 5, 71));
    EXPECT_FALSE(frames::IsHeadA(a, 1, 5, 70)); // too few bytes to tell
    const BYTE b[] = {5, 0x01, 0x10, 0x34};
    EXPECT_TRUE(frames::IsHeadB(b, 4, 5, 0x110 + 6));
    EXPECT_FALSE(frames::IsHeadB(b, 2, 5, 0x110 + 6));
    EXPECT_FALSE(frames::IsHeadB(b, 4, 6, 0x110 + 6));
}

TEST(SerialPortNames, DevicePaths)
{
    struct Case {
        const char* name;
        bool windows;
        const char* path;
    } cases[] = {
        {"COM2", true, "COM2"},
        {"COM9", true, "COM9"},
        {"COM12", true, "\\\\.\\COM12"},
        {"COM98", true, "\\\\.\\COM98"},
        {"ttyUSB0", false, "/dev/ttyUSB0"},
        {"/dev/pts/7", false, "/dev/pts/7"},
        {"/dev/pts/7", true, "/dev/pts/7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DevicePathForPort(QString::fromLatin1(c.name), c.windows), QString::fromLatin1(c.path)) << c.name;
}

} // namespace
