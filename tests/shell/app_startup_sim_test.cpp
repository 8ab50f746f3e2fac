// The program started on its stored settings, its instruments on one
// simulated line, with settings written by hand and odd things where the
// archives should be: what the user is told, what becomes of each entry and
// file, and that the measuring and recording of the rest go on.
#include "AppTestSupport.h"
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive/store/ArchivHeader.h"
#include "link/Pristroj.h"
#include "platform/cfb/cfb.h"
#include "shell/DeviceRegistry.h"
#include "shell/GeneralSettings.h"
#include "shell/MavexApp.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/WaitUntil.h"
#include "tools/instrument_sim/PtySimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariant>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t kVKValues = 0x3A;
constexpr std::uint16_t kFirmware = 130;

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteCompoundFile(const QString& path, const std::vector<std::string>& streams)
{
    cfb::CreateOptions options;
    options.overwrite = true;
    auto file = cfb::CompoundFile::create(QFile::encodeName(path).toStdString(), options);
    if (!file.ok())
        return false;
    const std::uint8_t bytes[] = {0xEC, 0xA5, 0xC1, 0x00};
    for (const std::string& name : streams)
        if (!(*file)->writeStream(name, bytes).ok())
            return false;
    return (*file)->close().ok();
}

// Whether the archive at `path` holds block `slot`.
bool HasBlock(const QString& path, int slot)
{
    auto file = cfb::CompoundFile::open(QFile::encodeName(path).toStdString(), cfb::OpenMode::ReadOnly);
    return file.ok() && (*file)->readStream(archive::SlotStreamName(slot)).ok();
}

// Block `slot` of the archive at `path` overwritten with bytes no block has.
bool DamageBlock(const QString& path, int slot)
{
    auto file = cfb::CompoundFile::open(QFile::encodeName(path).toStdString(), cfb::OpenMode::ReadWrite);
    if (!file.ok())
        return false;
    auto written = (*file)->readStream(archive::SlotStreamName(slot));
    return written.ok()
           && (*file)->writeStream(archive::SlotStreamName(slot), std::vector<std::uint8_t>(written->size(), 0xA5)).ok()
           && (*file)->close().ok();
}

class StartUpSimTest : public shelltest::StoreTest {
protected:
    void TearDown() override
    {
        shelltest::EndProgramAndLines(app, [this] { line.Stop(); });
        StoreTest::TearDown();
    }
    QString Data(const QString& relative) const { return dir.filePath(QStringLiteral("data/") + relative); }

    // A VK analyser at `address` on the line, its value polls counted.
    void AddAnalyser(std::uint8_t address)
    {
        std::atomic<int>& counter = polls[address];
        sim::Instrument analyser(sim::Family::VK, address);
        // Older firmware only takes settings: the program would not measure.
        analyser.SetVersion(kFirmware);
        analyser.SetCommand(kVKValues, [read = sim::ReadBlock(kVKValues), &counter](sim::Instrument& self,
                                                                                    const sim::Frame& frame) {
            ++counter;
            return read(self, frame);
        });
        line.AddInstrument(analyser);
    }
    // The stored settings of a VK analyser on the line measuring every two
    // seconds into data/<name>/<name>, with `changes` over them (an invalid
    // value leaves the entry out).
    void Store(const QString& name, const std::map<QString, QVariant>& changes)
    {
        const platform::SettingsSection key = CDeviceRegistry::Key(name);
        std::map<QString, QVariant> values = {
            {QStringLiteral("kat"), CPristroj::kVK},
            {QStringLiteral("merit"), 1},
            {QStringLiteral("com"), QString::fromStdString(line.SlavePath())},
            {QStringLiteral("zobrazovat"), 0},
            {QStringLiteral("zaznamenavat"), 1},
            {QStringLiteral("soubor"), Data(QStringLiteral("%1/%1").arg(name))},
            {QStringLiteral("intervalMereni"), 2},
            {QStringLiteral("intervalZapisovani"), 1},
            {QStringLiteral("intervalPrepisovani"), 600},
            {QStringLiteral("prepisovat"), 1},
            {QStringLiteral("synchronizovat"), 0},
        };
        for (const auto& [entry, value] : changes)
            values[entry] = value;
        for (const auto& [entry, value] : values) {
            if (!value.isValid())
                continue; // not in the settings: the program's default
            if (value.typeId() == QMetaType::QString)
                store.WriteProfileString(key, entry, value.toString());
            else
                store.WriteProfileInt(key, entry, value.toInt());
        }
    }
    QString Archive(const QString& name) const { return Data(QStringLiteral("%1/%1.vk").arg(name)); }
    void Start()
    {
        store.WriteProfileString(CGeneralSettings::Section(), QStringLiteral("adresar"), Data(QString()));
        store.WriteProfileInt(CGeneralSettings::Section(), QStringLiteral("spustit pri startu"), 2);
        app = std::make_unique<CMavexApp>(shelltest::QuietEnvironment());
        app->SetFamilies(CFamilyList(ProgramFamilies()));
        ASSERT_TRUE(app->InitInstance({QStringLiteral("qorin01")}));
    }
    // Until every analyser at `addresses` has answered `count` more polls
    // (generous bound), the program's events handled meanwhile.
    bool WaitForPolls(const std::vector<std::uint8_t>& addresses, int count)
    {
        std::map<std::uint8_t, int> start;
        for (std::uint8_t a : addresses)
            start[a] = polls[a].load();
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                for (std::uint8_t a : addresses)
                    if (polls[a].load() < start[a] + count)
                        return false;
                return true;
            },
            180000);
    }

    // The boxes that name `name` as their instrument (a control character
    // shown as the replacement character).
    QStringList ToldOf(QString name) const
    {
        for (QChar& c : name)
            if (c.category() == QChar::Other_Control)
                c = QChar(0xFFFD);
        return shelltest::BoxesSaying(boxes, QString::fromUtf8("Přístroj %1:").arg(name));
    }
    // Until a box about each of `names` has come (generous bound): they come
    // from the instruments' own threads.
    bool WaitForBoxes(const QStringList& names)
    {
        return testsupport::WaitUntil(
            [&] {
                QCoreApplication::processEvents();
                return std::all_of(names.begin(), names.end(), [this](const QString& n) { return !ToldOf(n).isEmpty(); });
            },
            120000);
    }

    ui::ScriptedMessageBoxes boxes{ui::MsgAnswer::Ok};
    sim::PtySimulator line;
    std::map<std::uint8_t, std::atomic<int>> polls;
    std::unique_ptr<CMavexApp> app;
};

// A name that would lead the archive out of the data folder or past the
// length a path may have, a bus address no instrument can have, a port that
// is not there, a second instrument on the first one's file: each is told
// once, naming the instrument; one that cannot run stays inactive and is
// never asked; the rest measure.
TEST_F(StartUpSimTest, BadEntriesAreToldOnceAndTheRestMeasure)
{
    std::string error;
    ASSERT_TRUE(line.Start(error)) << error;
    struct Case {
        QString name;
        std::map<QString, QVariant> changes;
        bool measures;
        const char* told; // a part of the one box naming it; null: none
    };
    const QString shared = Data(QStringLiteral("spolecny/spolecny"));
    // The name rows keep the archive's path to the program: from the name.
    const std::pair<QString, QVariant> fromName{QStringLiteral("soubor"), QVariant()};
    const Case cases[] = {
        {QStringLiteral("../escape"), {fromName}, false, "název přístroje nesmí"},
        {QString::fromUtf8("řádek\x01konec"), {fromName}, false, "název přístroje nesmí"},
        {QString(300, QLatin1Char('n')), {fromName}, false, "je příliš dlouhá"},
        {QStringLiteral("Adresa300"), {{QStringLiteral("adresa"), 300}}, false, "\"adresa\" má neplatnou hodnotu 300"},
        {QStringLiteral("Adresa0"), {{QStringLiteral("adresa"), 0}}, false, "\"adresa\" má neplatnou hodnotu 0"},
        {QStringLiteral("Bezportu"), {{QStringLiteral("com"), QStringLiteral("/dev/ttyNIKDE39")}}, true,
         "nebyl nalezen"},
        {QStringLiteral("Jedna"), {{QStringLiteral("adresa"), 1}, {QStringLiteral("soubor"), shared}}, true, nullptr},
        {QStringLiteral("Kopie"),
         {{QStringLiteral("adresa"), 3}, {QStringLiteral("soubor"), Data(QStringLiteral("spolecny/./spolecny"))}},
         false, "už zaznamenává přístroj Jedna"},
        {QStringLiteral("Dobry"), {{QStringLiteral("adresa"), 2}}, true, nullptr},
        // Hand-edited values that read as no number, a mask beyond 16 bits.
        {QStringLiteral("Blok1e99"), {{QStringLiteral("intervalZapisovani"), QStringLiteral("1e99")}}, false,
         "\"intervalZapisovani\" má neplatnou hodnotu „1e99“ (povoleno 1 až 1440)"},
        {QStringLiteral("PrepisAno"), {{QStringLiteral("prepisovat"), QStringLiteral("ano")}}, false,
         "\"prepisovat\" má neplatnou hodnotu „ano“ (povoleno 0 až 1)"},
        {QStringLiteral("MaskaMinus7"), {{QStringLiteral("maska"), -7}}, false,
         "\"maska\" má neplatnou hodnotu -7 (povoleno 0 až 65535)"},
    };
    // What the file holds of those after the exit: as the user left it.
    const std::pair<QString, std::pair<QString, QString>> keptTexts[] = {
        {QStringLiteral("Blok1e99"), {QStringLiteral("intervalZapisovani"), QStringLiteral("1e99")}},
        {QStringLiteral("PrepisAno"), {QStringLiteral("prepisovat"), QStringLiteral("ano")}},
        {QStringLiteral("MaskaMinus7"), {QStringLiteral("maska"), QStringLiteral("-7")}},
    };
    // Folders that would let each bad name's archive be made, were the name
    // taken: "../escape" would record beside the data folder.
    for (const QString& folder : {QStringLiteral("spolecny"), QStringLiteral("Dobry"), QStringLiteral("Adresa300"),
                                  QStringLiteral("Adresa0"), QStringLiteral("Bezportu"), QStringLiteral("../escape"),
                                  QStringLiteral("Blok1e99"), QStringLiteral("PrepisAno"), QStringLiteral("MaskaMinus7"),
                                  QString::fromUtf8("řádek\x01konec")})
        ASSERT_TRUE(QDir().mkpath(Data(folder)));
    // 300 would reach the analyser at 44 were it sent cut to a byte, 0 the
    // one at 0 were it sent as it is; the one at 3 would be asked by the
    // copy that is refused.
    for (const std::uint8_t address : {0, 1, 2, 3, 44})
        AddAnalyser(address);
    int address = 10;
    for (const Case& c : cases) {
        std::map<QString, QVariant> changes = c.changes;
        changes.try_emplace(QStringLiteral("adresa"), address++);
        Store(c.name, changes);
    }
    const QStringList outside = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    Start();
    ASSERT_TRUE(WaitForPolls({1, 2}, 4));
    EXPECT_TRUE(WaitForBoxes({QStringLiteral("Bezportu")}));
    ASSERT_TRUE(WaitForPolls({1, 2}, 2)) << "a few more polls, so a second box would have come";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.left(40).toStdString());
        const CPristroj* entry = shelltest::InstrumentNamed(*app, c.name);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->m_merit != 0, c.measures);
        if (!c.measures) {
            EXPECT_EQ(entry->GetThread(), nullptr);
        }
        const QStringList told = ToldOf(c.name);
        if (!c.told) {
            EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
            continue;
        }
        EXPECT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
        EXPECT_TRUE(told.value(0).contains(QString::fromUtf8(c.told))) << told.value(0).toStdString();
    }
    for (const std::uint8_t never : {0, 3, 44})
        EXPECT_EQ(polls[never].load(), 0) << int(never);
    app->ExitInstance();
    app.reset();
    for (const auto& [name, value] : keptTexts)
        EXPECT_EQ(store.GetProfileString(CDeviceRegistry::Key(name), value.first), value.second) << name.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(u' ').toStdString(),
              outside.join(u' ').toStdString())
        << "nothing recorded beside the data folder";
    EXPECT_TRUE(QFileInfo(shared + QStringLiteral(".vk")).size() > 0);
    EXPECT_TRUE(QFileInfo(Data(QStringLiteral("Dobry/Dobry.vk"))).size() > 0);
}

// What may sit where an archive should be, found at start-up. Whatever it
// is, no question waits for an answer and the instrument measures. What
// cannot be recorded into is told once and left as it is; another
// program's compound file is set aside unchanged and recording starts
// afresh; a link to an archive is followed; a damaged block is told and the
// rest of the file kept. Archives the program recorded on a first start
// serve as the intact ones.
TEST_F(StartUpSimTest, OddFilesWhereTheArchiveShouldBe)
{
    std::string error;
    ASSERT_TRUE(line.Start(error)) << error;
    enum class Outcome { NotRecorded, Followed, SetAside, Resumed };
    struct Case {
        const char* name;
        std::function<bool(const QString& path)> make; // given the archive's path
        Outcome outcome;
        const char* told; // a part of the one box naming it; null: none
    };
    const QString target = Data(QStringLiteral("jinde/cil.vk"));
    const QString recorded = Data(QStringLiteral("Prvni/Prvni.vk"));
    const bool root = ::geteuid() == 0;
    std::vector<Case> cases = {
        {"Roura", [](const QString& p) { return ::mkfifo(QFile::encodeName(p).constData(), 0600) == 0; },
         Outcome::NotRecorded, "ne obyčejný soubor"},
        {"Slozka", [](const QString& p) { return QDir().mkpath(p); }, Outcome::NotRecorded, "ne obyčejný soubor"},
        {"Nikam", [this](const QString& p) { return QFile::link(Data(QStringLiteral("nikde.vk")), p); },
         Outcome::NotRecorded, "odkaz na neexistující soubor"},
        {"Odkaz",
         [&](const QString& p) {
             return QDir().mkpath(QFileInfo(target).path()) && QFile::copy(recorded, target) && QFile::link(target, p);
         },
         Outcome::Followed, nullptr},
        {"Cizi",
         [](const QString& p) { return WriteCompoundFile(p, {"WordDocument", "\x05SummaryInformation"}); },
         Outcome::SetAside, "odložen beze změny"},
        {"Prazdny", [](const QString& p) { return WriteCompoundFile(p, {}); }, Outcome::SetAside,
         "odložen beze změny"},
        {"Poskozeny", [&](const QString& p) { return QFile::copy(recorded, p) && DamageBlock(p, 1); }, Outcome::Resumed,
         "poškozený blok 1"},
    };
    // The superuser writes whatever the mode says: a read-only archive
    // means something only to other users.
    if (!root)
        cases.push_back({"Jencteni",
                         [&](const QString& p) {
                             return QFile::copy(recorded, p)
                                    && QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
                         },
                         Outcome::NotRecorded, "do souboru nelze zapisovat"});

    // A first start records an intact archive of a few blocks.
    AddAnalyser(1);
    Store(QStringLiteral("Prvni"), {{QStringLiteral("adresa"), 1}});
    ASSERT_TRUE(QDir().mkpath(Data(QStringLiteral("Prvni"))));
    Start();
    ASSERT_TRUE(WaitForPolls({1}, 8));
    app->ExitInstance();
    app.reset();
    ASSERT_TRUE(HasBlock(recorded, 2)) << "three blocks to damage the middle one of";

    std::map<QString, QByteArray> before;
    std::vector<std::uint8_t> addresses{1};
    std::uint8_t address = 2;
    for (const Case& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString path = Archive(name);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        ASSERT_TRUE(c.make(path)) << c.name;
        if (QFileInfo(path).isFile())
            before[name] = ReadFile(path);
        AddAnalyser(address);
        Store(name, {{QStringLiteral("adresa"), address}});
        addresses.push_back(address++);
    }
    const QByteArray targetBefore = ReadFile(target);
    Start();
    ASSERT_TRUE(WaitForPolls(addresses, 3));
    QStringList toBeTold;
    for (const Case& c : cases)
        if (c.told)
            toBeTold << QString::fromLatin1(c.name);
    EXPECT_TRUE(WaitForBoxes(toBeTold));
    ASSERT_TRUE(WaitForPolls(addresses, 3)) << "a few more polls, so a second box would have come";
    std::map<QString, std::pair<bool, bool>> state; // measuring, recording
    for (const Case& c : cases) {
        const CPristroj* entry = shelltest::InstrumentNamed(*app, QString::fromLatin1(c.name));
        ASSERT_NE(entry, nullptr) << c.name;
        state[QString::fromLatin1(c.name)] = {entry->m_merit != 0, entry->m_zaznamenavat != 0};
    }
    app->ExitInstance();
    app.reset();

    for (const auto& request : boxes.Requests())
        EXPECT_EQ(request.buttons, ui::MsgButtons::Ok) << request.text.toStdString();
    EXPECT_TRUE(ToldOf(QStringLiteral("Prvni")).isEmpty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QString::fromLatin1(c.name);
        const QString path = Archive(name);
        const QFileInfo file(path);
        const QStringList told = ToldOf(name);
        if (c.told) {
            EXPECT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
            EXPECT_TRUE(told.value(0).contains(QString::fromUtf8(c.told))) << told.value(0).toStdString();
        } else {
            EXPECT_TRUE(told.isEmpty()) << told.join(u'\n').toStdString();
        }
        EXPECT_TRUE(state[name].first) << "measures";
        EXPECT_EQ(state[name].second, c.outcome != Outcome::NotRecorded) << "records";
        const QStringList aside
            = file.dir().entryList({file.fileName() + QStringLiteral(".poskozeny-*")}, QDir::Files | QDir::System);
        switch (c.outcome) {
        case Outcome::NotRecorded:
            EXPECT_EQ(QDir(file.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                      QStringList{file.fileName()})
                << "nothing set aside or made beside it";
            if (before.count(name)) {
                EXPECT_EQ(ReadFile(path), before[name]);
            }
            break;
        case Outcome::Followed:
            EXPECT_TRUE(file.isSymLink());
            EXPECT_TRUE(aside.isEmpty());
            EXPECT_NE(ReadFile(target), targetBefore) << "recorded into the file linked to";
            break;
        case Outcome::SetAside:
            EXPECT_EQ(aside.size(), 1);
            EXPECT_EQ(ReadFile(file.dir().filePath(aside.value(0))), before[name]);
            EXPECT_TRUE(HasBlock(path, 0)) << "recorded afresh";
            break;
        case Outcome::Resumed:
            EXPECT_TRUE(aside.isEmpty());
            EXPECT_NE(ReadFile(path), before[name]) << "recorded on in the same file";
            EXPECT_TRUE(HasBlock(path, 0));
            EXPECT_TRUE(HasBlock(path, 2));
            break;
        }
    }
}

} // namespace
