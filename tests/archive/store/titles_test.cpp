#include "archive/store/ArchivData.h"
#include "archive/store/ArchivTitles.h"

#include <gtest/gtest.h>

namespace {

TEST(ArchivTitles, BaseAndPeriodTitles)
{
    const struct {
        const char* path;
        const char* extension;
        const char* base;
        const char* period;
    } cases[] = {
        {"/data/mereni/Linka_Y24D0310H00.qor", ".qor", "Linka", "Linka (10.3.2024)"},
        {"Linka_Y24D1205H13.vkt", ".vkt", "Linka", "Linka (5.12.2024)"},
        {"/data/Linka.qor", ".qor", "Linka", "Linka"},
        {"/data/Linka_Y24D0310H00.qor", ".vk", "", ""},
        {"/data/Linka_Y24X0310H00.qor", ".qor", "Linka_Y24X0310H00", "Linka_Y24X0310H00"},
        {"", ".qor", "", ""},
    };
    for (const auto& c : cases) {
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(archive::BaseTitleOf(path, c.extension), QString::fromUtf8(c.base)) << c.path;
        EXPECT_EQ(archive::PeriodTitleOf(path, c.extension), QString::fromUtf8(c.period)) << c.path;
    }
    EXPECT_EQ(archive::DirectoryOf("/data/mereni/Linka.qor"), QStringLiteral("/data/mereni/"));
    EXPECT_EQ(archive::DirectoryOf("C:\\mereni\\Linka.qor"), QStringLiteral("C:\\mereni\\"));
}

TEST(ArchivTitles, SpacingWord)
{
    EXPECT_EQ(CArchivData::DecodeSpacingWord(12), 60);
    EXPECT_EQ(CArchivData::DecodeSpacingWord(0x8000 | 900), 900);
    EXPECT_EQ(CArchivData::DecodeSpacingWord(0x8000), 1);
    EXPECT_EQ(CArchivData::DecodeSpacingWord(2000), 1); // 10000 s is out of range
}

} // namespace
