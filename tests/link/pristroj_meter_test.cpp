#include "LinkTestSupport.h"
#include "PristrojTestSupport.h"

#include "archive/store/VKArchivData.h"
#include "model/VKBexor.h"

using namespace pristrojtest;
using sim::Family;
using sim::Instrument;

namespace {

constexpr std::uint8_t kEnergy = 0x34;

class MeterTest : public PristrojTest, public linktest::SimLine {
protected:
    void SetUp() override
    {
        PristrojTest::SetUp();
        StartLine({Instrument(Family::VK, 1)}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->SetType(CPristroj::kVK, TRUE);
        ASSERT_TRUE(entry->OpenLink());
        ASSERT_EQ(Archiv().Create(600, 1, 60, dir.filePath(QStringLiteral("hala")), QStringLiteral(".vk"), TRUE,
                                  TRUE, QStringLiteral("hala")),
                  1);
        SetResetTime(0x24, 0x03, 0x01);
    }
    void TearDown() override { entry.reset(); }

    CVKArchivData& Archiv() { return static_cast<CVKArchivData&>(*entry->GetArchivData()); }

    // The day of the meter's last reset (BCD year, month, day at 00:00).
    void SetResetTime(std::uint8_t year, std::uint8_t month, std::uint8_t day)
    {
        line.WithInstrument(1, [&](Instrument& i) {
            auto& image = i.blocks[kEnergy];
            const std::uint8_t bcd[6] = {year, month, day, 0, 0, 0};
            std::copy(bcd, bcd + 6, image.begin() + 48);
        });
    }

    // Entries per block of the meter stream.
    std::vector<DWORD> Blocks()
    {
        std::unique_ptr<CArchivStream> stream;
        CBexorIndex index;
        std::vector<DWORD> out;
        if (Archiv().OpenBexorStream(stream, index)) {
            for (int i = 0; i < index.GetBlockCount(); ++i)
                out.push_back(index.GetEntryCount(i));
        }
        Archiv().ReleaseStream(stream);
        return out;
    }

    std::unique_ptr<CPristroj> entry;
};

} // namespace

TEST_F(MeterTest, SameResetTimeAddsAnEntryAndANewOneStartsABlock)
{
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{1}));
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{2}));

    SetResetTime(0x24, 0x04, 0x01);
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{2, 1}));
}

TEST_F(MeterTest, UnreadableMeterLeavesTheArchiveAsItWas)
{
    EXPECT_TRUE(entry->ReadEnergyMeterRecord(0));
    sim::Faults bad;
    bad.badChecksum = true;
    line.SetFaults(bad, 3);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{1}));

    // A new period whose tariff cannot be read stores nothing either.
    SetResetTime(0x24, 0x04, 0x01);
    line.SetFaults(bad, 3, 1);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
    EXPECT_EQ(Blocks(), (std::vector<DWORD>{1}));

    // Other families have no quarter-hour record here.
    entry->SetType(CPristroj::kVKR, TRUE);
    EXPECT_FALSE(entry->ReadEnergyMeterRecord(0));
}
