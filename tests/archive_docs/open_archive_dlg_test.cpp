#include "archive_docs/OpenArchiveDlg.h"

#include "DocTestSupport.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "platform/Settings.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTreeWidget>

#include <algorithm>

namespace {

using doctest::CTime;

// Archive files of several families and base names in one folder, written
// by the VK family writer on a fake clock.
class OpenArchiveDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("qorin01.ini")));
        Write("hala", ".vk", "Linka", 1710061200);
        Write("hala_Y24D0311H00", ".vk", "Linka", 1710147600);
        Write("hala", ".vkt", "Linka T", 1710061200);
        Write("halaB", ".qor", "Hala B", 1710061200);
        Write("sklad", ".dsk", "Sklad", 1710061200);
        QFile junk(m_dir.filePath(QStringLiteral("hala_rozbity.vkr")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write("not an archive");
        junk.close();

        m_instruments = {{QStringLiteral("hala"), 2, m_dir.filePath(QStringLiteral("hala"))},
                         {QStringLiteral("sklad"), 5, m_dir.filePath(QStringLiteral("sklad"))}};
        m_host.openDocument = [this](const QString& id, const QString& path) -> CArchivDocBase* {
            m_opened.push_back(id + QLatin1Char(' ') + QFileInfo(path).fileName());
            m_openedFolders.push_back(QFileInfo(path).absolutePath());
            return m_failOpen ? nullptr : &m_doc;
        };
        m_host.attachToolBar = [this](CArchivDocBase& doc) { m_attached.push_back(&doc); };
        m_host.browseFolder = [this](QWidget*, const QString&, const QString&) { return m_browseAnswer; };
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    void Write(const char* name, const char* extension, const char* instrument, CTime::time_type start)
    {
        storetest::FakeClock clock;
        clock.Set(CTime(start));
        CVKArchivData writer;
        writer.SetTimeSource(clock.Source());
        ASSERT_EQ(writer.Create(600, 10, 60, m_dir.filePath(QString::fromLatin1(name)),
                                QString::fromLatin1(extension), TRUE, TRUE, QString::fromUtf8(instrument)),
                  1);
        writer.AddConfigRecord(vktest::VKConfig(400, 100));
        for (int i = 0; i < 5; ++i) {
            clock.Advance(60);
            writer.AddMeasurementRecord(vktest::VKValues(i));
        }
        clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QString::fromUtf8(instrument)), 1);
        writer.Close();
    }

    void Open(int selected = 0)
    {
        m_dlg.SetHost(m_host);
        m_dlg.SetInstruments(&m_instruments, selected);
        m_dlg.InitDialog();
    }

    QStringList Files(int column = COpenArchiveDlg::kFileColumn) const
    {
        QStringList names;
        for (int row = 0; row < m_dlg.FileList()->topLevelItemCount(); ++row)
            names << m_dlg.FileList()->topLevelItem(row)->text(column);
        return names;
    }
    static QStringList Sorted(QStringList list)
    {
        list.sort();
        return list;
    }

    QTemporaryDir m_dir;
    std::vector<COpenArchiveInstrument> m_instruments;
    COpenArchiveHost m_host;
    COpenArchiveDlg m_dlg;
    QStringList m_opened;
    QStringList m_openedFolders;
    std::vector<CArchivDocBase*> m_attached;
    bool m_failOpen = false;
    CVKArchivDoc m_doc;
    QString m_browseAnswer;
};

TEST_F(OpenArchiveDlgTest, TakesTheInstrumentAndListsItsFilesWithTimes)
{
    Open(7); // out of range: the first instrument
    EXPECT_EQ(m_dlg.TypeIndex(), 2);
    EXPECT_EQ(m_dlg.BaseName(), QStringLiteral("hala"));
    EXPECT_EQ(QDir(m_dlg.Folder()), QDir(m_dir.path()));
    EXPECT_EQ(m_dlg.NameCombo()->currentText(), QStringLiteral("hala"));
    EXPECT_EQ(m_dlg.TypeCombo()->currentText(), QStringLiteral("PJW,PJX"));

    // "*.vk" must not reach the .vkt and .vkr files
    EXPECT_EQ(Sorted(Files()), (QStringList{"hala.vk", "hala_Y24D0311H00.vk"}));
    EXPECT_TRUE(m_dlg.StatusText().isEmpty());

    const QTreeWidget* list = m_dlg.FileList();
    const int row = Files().indexOf(QStringLiteral("hala_Y24D0311H00.vk"));
    const QTreeWidgetItem* item = list->topLevelItem(row);
    EXPECT_EQ(item->text(COpenArchiveDlg::kInstrumentColumn), QStringLiteral("Linka"));
    EXPECT_EQ(item->text(COpenArchiveDlg::kFirstColumn), QStringLiteral("11.03.24 10:00:00"));
    EXPECT_EQ(item->text(COpenArchiveDlg::kLastColumn), QStringLiteral("11.03.24 10:00:00"));

    // columns made in file, instrument, last, first order and shown reversed
    const QStringList headers = {"Název souboru", "Název přístroje", "záznam do", "záznam od"};
    for (int column = 0; column < 4; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), headers[column]);
        EXPECT_EQ(list->header()->visualIndex(column), 3 - column);
    }
    EXPECT_EQ(list->columnWidth(0), 255);
}

TEST_F(OpenArchiveDlgTest, TypeAndBaseNameChooseTheFiles)
{
    Open();
    const QString skipped = QStringLiteral(
        "Při výběru byl vynechán jeden, nebo více prázdných (poškozených) souborů splňující kriteria.");
    struct Case {
        int type;
        const char* base;
        QStringList files;
        bool damaged;
    } cases[] = {
        {0, "hala", {"hala.vk", "hala_Y24D0311H00.vk", "hala.vkt", "halaB.qor"}, true},
        {4, "hala", {"hala.vkt"}, false},
        {3, "hala", {}, true},
        {0, "", {"hala.vk", "hala_Y24D0311H00.vk", "hala.vkt", "halaB.qor", "sklad.dsk"}, true},
        {5, "", {"sklad.dsk"}, false},
        {1, "nikdo", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        SCOPED_TRACE(c.base);
        m_dlg.OnTypeSelected(c.type);
        m_dlg.OnNameEdited(QString::fromUtf8(c.base));
        EXPECT_EQ(Sorted(Files()), Sorted(c.files));
        EXPECT_EQ(m_dlg.StatusText(), c.damaged ? skipped : QString());
    }
}

TEST_F(OpenArchiveDlgTest, NameSelectionTakesTheOtherInstrument)
{
    Open();
    m_dlg.OnNameSelected(1);
    EXPECT_EQ(m_dlg.TypeIndex(), 5);
    EXPECT_EQ(m_dlg.BaseName(), QStringLiteral("sklad"));
    EXPECT_EQ(m_dlg.TypeCombo()->currentIndex(), 5);
    EXPECT_EQ(Files(), QStringList{"sklad.dsk"});
    EXPECT_EQ(Files(COpenArchiveDlg::kInstrumentColumn), QStringList{"Sklad"});
}

TEST_F(OpenArchiveDlgTest, BrowsingElsewhereResetsTypeAndName)
{
    Open();
    // the same folder in another letter case keeps type and name
    m_browseAnswer = m_dlg.Folder().toUpper();
    m_dlg.OnBrowse();
    EXPECT_EQ(m_dlg.TypeIndex(), 2);
    EXPECT_EQ(m_dlg.BaseName(), QStringLiteral("hala"));

    QTemporaryDir other;
    m_browseAnswer = other.path();
    m_dlg.OnBrowse();
    EXPECT_EQ(m_dlg.TypeIndex(), 0);
    EXPECT_TRUE(m_dlg.BaseName().isEmpty());
    EXPECT_TRUE(m_dlg.NameCombo()->currentText().isEmpty());
    EXPECT_TRUE(Files().isEmpty());

    // cancelling the browser changes nothing
    m_browseAnswer.clear();
    m_dlg.OnBrowse();
    EXPECT_EQ(QDir(m_dlg.Folder()), QDir(other.path()));
}

TEST_F(OpenArchiveDlgTest, OpensTheSelectedFilesAndRemembersTheInstrument)
{
    Open();
    m_dlg.OnTypeSelected(0);
    m_dlg.OnOpen(); // nothing selected
    EXPECT_TRUE(m_opened.isEmpty());

    const QStringList rows = Files();
    for (const char* name : {"hala.vkt", "halaB.qor"})
        m_dlg.FileList()->topLevelItem(rows.indexOf(QString::fromLatin1(name)))->setSelected(true);
    m_dlg.OnOpen();
    QStringList expected;
    for (int row = 0; row < rows.size(); ++row)
        if (rows[row] == "hala.vkt")
            expected << QStringLiteral("VKTArchiv.Document hala.vkt");
        else if (rows[row] == "halaB.qor")
            expected << QStringLiteral("Archiv.Document halaB.qor");
    EXPECT_EQ(m_opened, expected);
    EXPECT_EQ(m_openedFolders.value(0), QDir(m_dir.path()).absolutePath());
    ASSERT_EQ(m_attached.size(), 1u);
    EXPECT_EQ(m_attached[0], &m_doc);
    EXPECT_EQ(platform::Settings().GetProfileString(platform::SettingsSection("Obecne nastaveni"),
                                                    QStringLiteral("pristrojProTQRS")),
              QStringLiteral("hala"));

    // a last file that fails to open attaches nothing and keeps the setting
    m_failOpen = true;
    m_dlg.OnNameSelected(1);
    m_dlg.FileList()->topLevelItem(0)->setSelected(true);
    m_dlg.OnOpen();
    EXPECT_EQ(m_opened.last(), QStringLiteral("DuskarArchiv.Document sklad.dsk"));
    EXPECT_EQ(m_attached.size(), 1u);
    EXPECT_EQ(platform::Settings().GetProfileString(platform::SettingsSection("Obecne nastaveni"),
                                                    QStringLiteral("pristrojProTQRS")),
              QStringLiteral("hala"));
}

TEST(OpenArchiveDlgNames, TemplateByExtension)
{
    const char* cases[][2] = {{"a.qor", "Archiv.Document"},      {"a.vk", "VKArchiv.Document"},
                              {"a.vkr", "VKRArchiv.Document"},   {"a.vkt", "VKTArchiv.Document"},
                              {"a.dsk", "DuskarArchiv.Document"}, {"a.txt", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(COpenArchiveDlg::FileTypeIdOf(QString::fromLatin1(c[0])), QString::fromLatin1(c[1])) << c[0];
}

} // namespace
