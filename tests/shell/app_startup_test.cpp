#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "shell/MainFrame.h"
#include "shell/MavexApp.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace {

class AppTest : public shelltest::StoreTest {
protected:
    static CMavexApp::Environment Quiet() { return shelltest::QuietEnvironment(); }
    void AddInstrument(const QString& name, int measure)
    {
        const platform::SettingsSection key = CDeviceRegistry::Key(name);
        store.WriteProfileInt(key, QStringLiteral("kat"), CPristroj::kVK);
        store.WriteProfileInt(key, QStringLiteral("merit"), measure);
        store.WriteProfileString(key, QStringLiteral("com"), QStringLiteral("/nonexistent/tty"));
    }
    int Value(const platform::SettingsSection& section, const char* name)
    {
        return store.GetProfileInt(section, QString::fromLatin1(name), -1);
    }
    ui::ScriptedMessageBoxes boxes;
};

// What the exit writes: the counter as read at start-up, the general values
// and every instrument with what changed while the program ran.
TEST_F(AppTest, ExitSavesGeneralValuesAndEveryInstrument)
{
    const auto& general = CGeneralSettings::Section();
    store.WriteProfileInt(general, QStringLiteral("pocet pristroju"), 7);
    store.WriteProfileInt(general, QStringLiteral("spustit pri startu"), 0);
    AddInstrument(QStringLiteral("Hala"), 0);
    AddInstrument(QStringLiteral("Kotelna"), 0);
    {
        CMavexApp app(Quiet());
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        ASSERT_NE(app.MainFrame(), nullptr);
        EXPECT_EQ(app.GetDeviceCounter(), 2);
        ASSERT_EQ(app.GetDeviceList().size(), 2u);
        EXPECT_FALSE(app.HasDownloadThread());
        app.GetDeviceList()[0]->m_adresa = 17;
        app.GeneralSettings().m_adresar = dir.filePath(QStringLiteral("data"));
        app.ExitInstance();
    }
    EXPECT_EQ(Value(general, "pocet pristroju"), 2);
    EXPECT_EQ(store.GetProfileString(general, QStringLiteral("adresar")), dir.filePath(QStringLiteral("data")));
    EXPECT_EQ(Value(general, "pouzivat podadresare"), 1);
    const QString first = store.SubSections(platform::SettingsSection(QStringLiteral("pristroje"))).value(0);
    EXPECT_EQ(Value(CDeviceRegistry::Key(first), "adresa"), 17);
}

// With "spustit pri startu" = 0 nothing starts and every instrument is
// written back as not measuring.
TEST_F(AppTest, NoStartAtStartUpClearsEveryMeasureFlag)
{
    store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 0);
    AddInstrument(QStringLiteral("Hala"), 1);
    {
        CMavexApp app(Quiet());
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        ASSERT_EQ(app.GetDeviceList().size(), 1u);
        EXPECT_EQ(app.GetDeviceList()[0]->m_merit, 0);
        EXPECT_EQ(app.GetDeviceList()[0]->GetThread(), nullptr);
    }
    EXPECT_EQ(Value(CDeviceRegistry::Key(QStringLiteral("Hala")), "merit"), 0);
    EXPECT_TRUE(boxes.Requests().empty());
}

// A name that is taken adds nothing; the link of a measuring instrument
// makes the newcomer not measuring (and starts no thread for it).
TEST_F(AppTest, AddedInstrumentsAreCheckedAgainstTheList)
{
    CMavexApp app(Quiet());
    ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
    auto make = [&](const char* name, BOOL measure) {
        auto entry = std::make_unique<CPristroj>(QStringLiteral("/nonexistent/tty"), 1, dir.path(), FALSE,
                                                 CPristroj::kVK);
        entry->m_nazev = QString::fromUtf8(name);
        entry->m_merit = measure;
        return entry;
    };
    ASSERT_TRUE(app.AdoptInstrument(nullptr, make("Hala", FALSE)));
    app.GetDeviceList()[0]->m_merit = 1; // measuring, as far as the check sees

    EXPECT_TRUE(app.AdoptInstrument(nullptr, make("Kotelna", TRUE)));
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Kolize adresy, přístroj nelze aktivovat"));
    ASSERT_EQ(app.GetDeviceList().size(), 2u);
    EXPECT_EQ(app.GetDeviceList()[1]->m_merit, 0);
    EXPECT_EQ(app.GetDeviceList()[1]->GetThread(), nullptr);

    EXPECT_FALSE(app.AdoptInstrument(nullptr, make("Hala", FALSE)));
    ASSERT_EQ(boxes.Requests().size(), 2u);
    EXPECT_EQ(boxes.Requests()[1].text, QStringLiteral("Kolize názvu přístroje, nelze zařadit do seznamu."));
    EXPECT_EQ(app.GetDeviceList().size(), 2u);
    EXPECT_EQ(app.GetDeviceCounter(), 2);
    EXPECT_EQ(store.GetProfileString(CDeviceRegistry::Key(QStringLiteral("Kotelna")), QStringLiteral("com")),
              QStringLiteral("/nonexistent/tty"));
    app.GetDeviceList()[0]->m_merit = 0;
}

// A settings file of random bytes (a damaged disk, another program's file):
// each start keeps it beside it under a name of its own, byte for byte, and
// tells the user with both names; the program runs on the defaults and
// writes a new file, never over a kept one.
TEST_F(AppTest, AnUnreadableSettingsFileIsKeptAndToldOfNeverWrittenOver)
{
    const auto randomFile = [this](quint32 seed) {
        QRandomGenerator generator(seed);
        QByteArray bytes(64 * 1024, '\0');
        for (char& b : bytes)
            b = char(generator.bounded(256));
        QFile out(file());
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        return bytes;
    };
    const auto read = [](const QString& path) {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    };
    const auto kept = [this] {
        return QDir(dir.path()).entryList({QStringLiteral("store.ini.necitelny-*")}, QDir::Files, QDir::Name);
    };
    std::vector<QByteArray> damaged;
    for (quint32 start = 1; start <= 2; ++start) {
        SCOPED_TRACE(start);
        damaged.push_back(randomFile(start));
        const std::size_t boxesBefore = boxes.Requests().size();
        {
            CMavexApp app(Quiet());
            ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
            QCoreApplication::processEvents();
            EXPECT_TRUE(app.GetDeviceList().empty());
            ASSERT_EQ(boxes.Requests().size(), boxesBefore + 1);
            const QString text = boxes.Requests().back().text;
            ASSERT_EQ(kept().size(), qsizetype(start));
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(file()))) << text.toStdString();
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(dir.filePath(kept().back())))) << text.toStdString();
            EXPECT_EQ(boxes.Requests().back().caption, QStringLiteral("CHYBA"));
            app.ExitInstance();
        }
        const QStringList copies = kept();
        ASSERT_EQ(copies.size(), qsizetype(start));
        // Within one second the second copy is numbered; either way each
        // copy holds the file it was made of.
        for (std::size_t i = 0; i < damaged.size(); ++i) {
            const bool found = std::any_of(copies.begin(), copies.end(),
                                           [&](const QString& c) { return read(dir.filePath(c)) == damaged[i]; });
            EXPECT_TRUE(found) << "copy of start " << i + 1;
        }
        EXPECT_EQ(Value(CGeneralSettings::Section(), "pocet pristroju"), 0);
    }
}

// A folder the file cannot be read from or written to (here a file has the
// folder's name): the user is told that changes cannot be saved; the
// program runs, and nothing is made on disk.
TEST_F(AppTest, ASettingsFolderThatCannotBeUsedIsToldOf)
{
    const QString blocker = dir.filePath(QStringLiteral("ZRT Systems"));
    {
        QFile out(blocker);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    }
    platform::Settings::SetFileForTesting(blocker + QStringLiteral("/qorin01.ini"));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    {
        CMavexApp app(Quiet());
        ASSERT_TRUE(app.InitInstance({QStringLiteral("qorin01")}));
        QCoreApplication::processEvents();
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_TRUE(boxes.Requests()[0].text.contains(QString::fromUtf8("uložit je nelze")))
            << boxes.Requests()[0].text.toStdString();
        app.ExitInstance();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_EQ(QFileInfo(blocker).size(), 0);
}

TEST_F(AppTest, SecondApplicationOfTheSameUserEnds)
{
    CMavexApp::Environment env = Quiet();
    CMavexApp first(env);
    ASSERT_TRUE(first.InitInstance({QStringLiteral("qorin01")}));
    CMavexApp second(env);
    EXPECT_FALSE(second.InitInstance({QStringLiteral("qorin01")}));
    EXPECT_EQ(second.MainFrame(), nullptr);
}

} // namespace
