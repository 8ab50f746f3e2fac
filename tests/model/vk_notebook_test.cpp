#include "model/VKNoteBook.h"

#include "platform/Cp1250.h"
#include "vk_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <numeric>

TEST(VKNoteBook, TextPages)
{
    BYTE page[CVKNoteBook::kPageSize];
    std::memset(page, 0xEE, sizeof page); // filler after the zero must not be read
    const QByteArray note = platform::ToCp1250(QStringLiteral("Napětí fáze 1"));
    std::memcpy(page, note.constData(), std::size_t(note.size()) + 1);
    std::memset(page + 32, 'x', 32); // a full slot without a zero
    page[64] = 0;

    CVKNoteBook nb;
    ASSERT_TRUE(nb.FromRawPage(2, page));
    EXPECT_EQ(nb.GetLine(4), QStringLiteral("Napětí fáze 1"));
    EXPECT_EQ(nb.GetLine(5), QString(32, QChar('x')));
    EXPECT_EQ(nb.GetLine(6), QString());
    EXPECT_EQ(nb.GetLine(0), QString());

    // Writing: at most 32 characters a slot, a shorter line ends with zeros.
    nb.SetLine(24, QString(40, QChar('a')));
    nb.SetLine(25, QStringLiteral("Proud"));
    BYTE out[CVKNoteBook::kPageSize];
    std::memset(out, 0xEE, sizeof out);
    ASSERT_TRUE(nb.ToRawPage(7, out));
    EXPECT_TRUE(std::all_of(out, out + 32, [](BYTE b) { return b == 'a'; }));
    EXPECT_EQ(std::memcmp(out + 32, "Proud", 5), 0);
    EXPECT_TRUE(std::all_of(out + 37, out + 128, [](BYTE b) { return b == 0; }));

    EXPECT_FALSE(nb.FromRawPage(8, page));
    EXPECT_FALSE(nb.ToRawPage(-1, out));
    nb.SetLine(28, QStringLiteral("mimo")); // ignored
    EXPECT_EQ(nb.GetLine(28), QString());
}

TEST(VKNoteBook, HeaderBlockAndRecordName)
{
    BYTE header[CVKNoteBook::kPageSize];
    std::iota(std::begin(header), std::end(header), BYTE(1));
    std::memcpy(header, "Rozvodna A\0", 11);

    CVKNoteBook nb;
    ASSERT_TRUE(nb.FromRawPage(0, header));
    EXPECT_EQ(nb.GetRecordName(), QStringLiteral("Rozvodna A"));

    nb.SetRecordName(QString(40, QChar('N')));
    EXPECT_EQ(nb.GetRecordName(), QString(31, QChar('N')));
    BYTE out[CVKNoteBook::kPageSize];
    ASSERT_TRUE(nb.ToRawPage(0, out));
    EXPECT_EQ(out[31], 0);
    // The rest of the header is carried as read.
    EXPECT_TRUE(std::equal(out + 32, out + 128, header + 32));
}

TEST(VKNoteBook, StoredForm)
{
    BYTE header[CVKNoteBook::kPageSize];
    std::iota(std::begin(header), std::end(header), BYTE(0));
    CVKNoteBook nb;
    nb.FromRawPage(0, header);
    nb.SetLine(0, QStringLiteral("ab"));
    nb.SetLine(27, QStringLiteral("č"));

    QByteArray expected(reinterpret_cast<const char*>(header), 64);
    expected += vktest::Hex("5051"
                            "40414243 5253 5a5b"
                            "44454647 5455 5c5d"
                            "48494a4b 5657 5e5f"
                            "4c4d4e4f 5859 6061"
                            "62636465");
    expected += QByteArray(reinterpret_cast<const char*>(header) + 102, 26);
    expected += vktest::Hex("026162");
    expected += QByteArray(26, '\0');
    expected += vktest::Hex("01e8");
    EXPECT_EQ(vktest::StoreFields(nb).toHex(), expected.toHex());

    CVKNoteBook loaded;
    ASSERT_TRUE(vktest::LoadFields(expected, loaded));
    BYTE out[CVKNoteBook::kPageSize];
    loaded.ToRawPage(0, out);
    EXPECT_TRUE(std::equal(std::begin(out), std::end(out), std::begin(header)));
    EXPECT_EQ(loaded.GetLine(0), QStringLiteral("ab"));
    EXPECT_EQ(loaded.GetLine(27), QStringLiteral("č"));
}
