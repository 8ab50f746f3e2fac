#include "platform/StringTable.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace platform;

TEST(StringTableTest, TextsAreExactWithTheirBlanksAndPlaceholders)
{
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {IDS_DDV_MIN_BELOW, "%s: minimální mez je menší než %f "},
        {IDS_TIME, "Čas"},
        {IDS_UNIT_DAY, "d"},
        {IDS_UNIT_HOUR, "h"},
        {IDS_UNIT_MINUTE, "m"},
        {IDS_UNIT_SECOND, "s"},
        {IDS_CAPTION_ERROR, "CHYBA"},
        {IDS_ARCHIVE_SYSTEM_ERROR, "Systémová chyba programu. Prohlížení archivu bude ukončeno. "},
        {IDS_ERR_DEVICE_ERROR_STATE, "Přístroj je v chybovém stavu\nData nemohou být přijata."},
        {IDS_EVENT_MANUAL_MODE, "Přístroj je v režimu \"Ručně\". "},
        {IDS_FILTER_SET, "Soubor nastavení(*.set)|*.set||"},
        {IDS_DEGREE_CELSIUS, "°C"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(LoadString(c.id), QString::fromUtf8(c.text));
    }
    EXPECT_EQ(IDS_DDV_MIN_BELOW, 32434);
    EXPECT_EQ(IDS_TIME, 32455);
    EXPECT_EQ(IDS_UNIT_DAY, 32572);
    EXPECT_EQ(LoadString(IDS_WEEKDAYS_SHORT).split(u'\n').size(), 7);
    EXPECT_EQ(LoadString(IDS_ZOOM_SPAN_NAMES).split(u',').size(), 13);
}

TEST(StringTableTest, UnknownIdsAreEmptyAndEveryIdIsUnique)
{
    EXPECT_TRUE(LoadString(0).isEmpty());
    EXPECT_TRUE(LoadString(32001).isEmpty());
    EXPECT_TRUE(LoadString(99999).isEmpty());

    const std::vector<int> ids = AllStringIds();
    ASSERT_FALSE(ids.empty());
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<int>()) == ids.end());
    for (const int id : ids)
        EXPECT_FALSE(LoadString(id).isEmpty()) << id;
}
