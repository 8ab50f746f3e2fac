// Number formats by transformer ratio and the period file names of the VK
// and VKR archives.
#include "archive/store/VKArchivFormats.h"

#include <gtest/gtest.h>

namespace {

using platform::CTime;

struct FormatCase {
    double ratio;
    int multiplier;
    const char* format;
};

void Check(CArchivNumberFormat (*choose)(double), std::initializer_list<FormatCase> cases)
{
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.ratio);
        const CArchivNumberFormat f = choose(c.ratio);
        EXPECT_EQ(f.multiplier, c.multiplier);
        EXPECT_EQ(f.format, QLatin1String(c.format));
    }
}

TEST(VKArchivFormats, VoltageByRatio)
{
    Check(ChooseVoltageFormatByRatio, {{1.0, 1, "%0.1f"},
                                       {1.005, 1, "%0.1f"},
                                       {0.5, 1, "%0.1f"},
                                       {15, 1, "%0.1f"},
                                       {16, 1, "%0.0f"},
                                       {37.4, 1, "%0.0f"},
                                       {37.5, 1000, "%0.3f"},
                                       {149, 1000, "%0.3f"},
                                       {150, 1000, "%0.2f"},
                                       {1500, 1000, "%0.1f"},
                                       {15000, 1000, "%0.1f"},
                                       {15001, 1000, "%0.0f"}});
}

TEST(VKArchivFormats, CurrentByRatio)
{
    Check(ChooseCurrentFormatByRatio, {{1, 1, "%0.3f"},
                                       {5, 1, "%0.2f"},
                                       {50, 1, "%0.1f"},
                                       {500, 1, "%0.0f"},
                                       {1999, 1, "%0.0f"},
                                       {2000, 1000, "%0.3f"},
                                       {5000, 1000, "%0.2f"},
                                       {50000, 1000, "%0.1f"},
                                       {500000, 1000, "%0.0f"}});
}

TEST(VKArchivFormats, PowerByRatioProduct)
{
    Check(ChoosePowerFormatByRatio, {{1, 1, "%0.0f"},
                                     {20, 1000, "%0.4f"},
                                     {50, 1000, "%0.3f"},
                                     {500, 1000, "%0.2f"},
                                     {2000, 1000000, "%0.4f"},
                                     {5000, 1000000, "%0.3f"},
                                     {50000, 1000000, "%0.2f"},
                                     {500000, 1000000, "%0.1f"},
                                     {5e7, 1000000, "%0.0f"}});
}

TEST(VKArchivFormats, NumbersFollowTheFormat)
{
    EXPECT_EQ(FormatArchivNumber(QStringLiteral("%0.3f"), 1.0), QStringLiteral("1.000"));
    EXPECT_EQ(FormatArchivNumber(QStringLiteral("%0.0f"), 229.6), QStringLiteral("230"));
    EXPECT_EQ(FormatScaled({QStringLiteral("%0.2f"), 1000}, -12345.0), QStringLiteral("-12.35"));
    // A format that is not "%0.Nf" cannot reach printf: one decimal.
    EXPECT_EQ(FormatArchivNumber(QStringLiteral("%s%n"), 2.25), QStringLiteral("2.3"));
}

TEST(VKArchivFormats, PeriodFileNames)
{
    const CTime start(2005, 3, 2, 14, 0, 0);
    struct Case {
        const char* name;
        const char* extension;
        const char* rolled;
    };
    const Case cases[] = {
        {"name_Y05D0101H00.vk", ".vk", "name_Y05D0302H14.vk"},
        {"C:/data/hala.vk", ".vk", "C:/data/hala_Y05D0302H14.vk"},
        {"hala_Y05D0101H00.vkr", ".vkr", "hala_Y05D0302H14.vkr"},
        // A dot or "_Y" in a folder is not the file's suffix.
        {"/data/jan.novak/hala_Y05D0101H00.vk", ".vk", "/data/jan.novak/hala_Y05D0302H14.vk"},
        {"/data/jan.novak/hala.vk", ".vk", "/data/jan.novak/hala_Y05D0302H14.vk"},
        {"/data/a_Y05D0101H00.vk/hala.vk", ".vk", "/data/a_Y05D0101H00.vk/hala_Y05D0302H14.vk"},
        {"/data/a.b/hala", ".vk", "/data/a.b/hala"},
        {"x_Yab.vk", ".vk", "x_Yab_Y05D0302H14.vk"},
        {"hala", ".vk", "hala"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RollVKArchivFileName(QLatin1String(c.name), start, QLatin1String(c.extension)),
                  QLatin1String(c.rolled))
            << c.name;
    EXPECT_EQ(VKArchivFileName(QStringLiteral("hala"), true, start, QStringLiteral(".vk")), QStringLiteral("hala.vk"));
    EXPECT_EQ(VKArchivFileName(QStringLiteral("hala"), false, start, QStringLiteral(".vkr")),
              QStringLiteral("hala_Y05D0302H14.vkr"));
}

} // namespace
