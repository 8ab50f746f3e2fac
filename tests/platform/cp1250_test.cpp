#include "platform/Cp1250.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Cp1250, CzechPangramRoundTrip)
{
    const QString pangram = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");
    const QByteArray bytes = ToCp1250(pangram);
    EXPECT_EQ(bytes.size(), pangram.size());
    EXPECT_EQ(bytes.toHex(' '),
              QByteArray("50 f8 ed 6c 69 9a 20 9e 6c 75 9d 6f 75 e8 6b fd 20 6b f9 f2 20 fa 70 ec 6c 20 ef e1 62 "
                         "65 6c 73 6b e9 20 f3 64 79"));
    EXPECT_EQ(FromCp1250(bytes), pangram);
    const QString upper = pangram.toUpper();
    EXPECT_EQ(FromCp1250(ToCp1250(upper)), upper);
}

TEST(Cp1250, EveryHighByteThatMapsRoundTrips)
{
    const QByteArray undefined("\x81\x83\x88\x90\x98");
    for (int b = 0x80; b <= 0xFF; ++b) {
        const QByteArray one(1, char(b));
        const QString s = FromCp1250(one);
        ASSERT_EQ(s.size(), 1);
        EXPECT_EQ(ToCp1250(s), one) << std::hex << b;
        // Unassigned bytes keep their value; assigned ones leave the C1 range.
        if (b < 0xA0) {
            EXPECT_EQ(undefined.contains(char(b)), s[0].unicode() == b) << std::hex << b;
        }
    }
}

TEST(Cp1250, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(ToCp1250(QStringLiteral("a€ж中b")), QByteArray("a\x80??b"));
    // A character outside the basic plane is one character, so one '?'.
    EXPECT_EQ(ToCp1250(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
}
