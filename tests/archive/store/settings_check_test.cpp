#include "StoreTestSupport.h"

#include "archive/store/ArchivSettingsCheck.h"

#include <QDir>
#include <QFile>

namespace storetest {
namespace {

// Each bad value: the message names the instrument and the value, and the
// store refuses to start, without touching a file.
TEST_F(StoreTest, SettingsThatCannotRunAreRefusedWithTheirValue)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("jen-cteni"));
    QFile::setPermissions(Path("jen-cteni"), QFile::ReadOwner | QFile::ExeOwner);
    const bool readOnlyHolds = !QFile(Path("jen-cteni/x")).open(QIODevice::WriteOnly); // not as root
    struct Case {
        const char* what;
        int interval, perBlock, total;
        QString name;
        const char* expected; // in the message; null: accepted
    } cases[] = {
        {"measuring interval 0", 0, 30, 3600, Path("a"), "\"intervalMereni\" má neplatnou hodnotu 0"},
        {"measuring interval below 0", -5, 30, 3600, Path("a"), "\"intervalMereni\" má neplatnou hodnotu -5"},
        {"recording interval 0", 10, 0, 3600, Path("a"), "\"intervalZapisovani\" má neplatnou hodnotu 0"},
        {"recording interval huge", 10, 1000000, 3600, Path("a"), "hodnotu 1000000"},
        {"overwrite period below 0", 10, 30, -1, Path("a"), "\"intervalPrepisovani\" má neplatnou hodnotu -1"},
        {"folder missing", 10, 30, 3600, Path("chybi/a"), "neexistuje"},
        {"folder read-only", 10, 30, 3600, Path("jen-cteni/a"), readOnlyHolds ? "nelze zapisovat" : nullptr},
        {"usual values", 10, 30, 604800, Path("a"), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestArchivData data;
        Prepare(data);
        const std::size_t before = m_host.Notices().size();
        const int created =
            data.Create(c.total, c.perBlock, c.interval, c.name, TestArchivData::Extension(), TRUE, TRUE, "Kotelna");
        if (!c.expected) {
            EXPECT_EQ(created, 1);
            continue;
        }
        EXPECT_EQ(created, 0);
        ASSERT_EQ(m_host.Notices().size(), before + 1);
        const QString notice = m_host.Notices().back();
        EXPECT_TRUE(notice.startsWith(QString::fromUtf8("Přístroj Kotelna:"))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QString::fromUtf8(c.expected))) << notice.toStdString();
        EXPECT_EQ(data.GetErrorText(), notice);
        EXPECT_FALSE(QFile::exists(c.name + TestArchivData::Extension()));
    }
    QFile::setPermissions(Path("jen-cteni"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
} // namespace storetest
