#include "tools/archivetool/ArchiveTool.h"

#include "archive/store/ArchivFileList.h"
#include "archive/store/ArchivHeader.h"
#include "archive/store/CfbArchivStorage.h"
#include "charts_data/ArchiveCsvExport.h"
#include "platform/Cp1250.h"
#include "platform/cfb/cfb.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <mutex>
#include <optional>

namespace archivetool {
namespace {

using platform::CTime;

const QString kTimeFormat = QStringLiteral("%Y-%m-%d %H:%M:%S");

int Usage(QTextStream& err)
{
    err << "usage: archivetool info FILE\n"
           "       archivetool csv FILE OUT [--from TIME] [--to TIME]\n"
           "       archivetool records FILE\n"
           "TIME: local time, YYYY-MM-DD HH:MM[:SS]\n";
    err.flush();
    return kExitUsage;
}

int BadFile(QTextStream& err, const QString& path, const QString& why)
{
    err << "archivetool: " << path << ": " << why << '\n';
    err.flush();
    return kExitBadFile;
}

QString BadBlockText(int slot)
{
    return QStringLiteral("Blok %1 je poškozený; ostatní bloky jsou přečteny.").arg(slot);
}

// Each damaged block that was passed over, after what was read.
int BadBlocks(QTextStream& err, const QString& path, const std::vector<int>& badSlots)
{
    int rc = kExitOk;
    for (int slot : badSlots)
        rc = BadFile(err, path, BadBlockText(slot));
    return rc;
}

std::optional<CTime> ParseTime(QString text)
{
    text = text.trimmed();
    text.replace(QLatin1Char('T'), QLatin1Char(' '));
    for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-dd"}) {
        const QDateTime t = QDateTime::fromString(text, QString::fromLatin1(format));
        if (t.isValid()) {
            const qint64 s = t.toSecsSinceEpoch();
            if (s >= 0 && s <= qint64(UINT32_MAX))
                return CTime(CTime::time_type(s));
        }
    }
    return std::nullopt;
}

const char* TypeName(std::uint8_t type)
{
    switch (type) {
    case kRecordSettings: return "settings";
    case kRecordFull: return "full";
    case kRecordChanged: return "changed";
    case kRecordError: return "error";
    case kRecordFault: return "fault";
    case kRecordCondition: return "condition";
    case kRecordState: return "state";
    case kRecordBlockMarker: return "block-marker";
    case kRecordIden: return "identification";
    case kRecordStatus: return "status";
    case kRecordVKT: return "vkt";
    case kRecordWord: return "word";
    default: return "unknown";
    }
}

// What one line of `records` says of the record beyond its head.
QString Summary(const CArchivRecord& r)
{
    if (r.IsEvent()) {
        QByteArray text = r.data;
        const qsizetype end = text.indexOf('\0');
        if (end >= 0)
            text.truncate(end);
        return QLatin1Char('"') + platform::FromCp1250(text) + QLatin1Char('"');
    }
    if (r.type == kRecordWord && r.data.size() >= 2)
        return QString::number(std::uint8_t(r.data[0]) | (std::uint8_t(r.data[1]) << 8));
    if (r.IsData())
        return QStringLiteral("measurement");
    return r.data.left(16).toHex(' ') + (r.data.size() > 16 ? QStringLiteral(" …") : QString());
}

// The family's archive with its ring open to the tool.
template <class Data>
class Archive : public Data {
public:
    // Written slots, oldest block first.
    std::vector<int> WrittenSlots() const
    {
        std::lock_guard ring(this->ringLock);
        std::vector<int> written;
        if (!this->header)
            return written;
        const auto& table = this->header->slotTable;
        for (int s = 0; s < int(table.size()); ++s)
            if (table[std::size_t(s)] != 0)
                written.push_back(s);
        std::stable_sort(written.begin(), written.end(),
                         [&table](int a, int b) { return table[std::size_t(a)] < table[std::size_t(b)]; });
        return written;
    }
    int SlotTotal() const
    {
        std::lock_guard ring(this->ringLock);
        return this->header ? this->header->SlotCount() : 0;
    }
};

// The file a command reads is opened read-only: the tool never writes it
// (an inconsistent container is not repaired under its owner's feet) and
// reads beside other readers. Every other file (the export's temporary copy)
// opens as usual. Installed for one command.
class ReadOnlyInput final : public archive::StorageProvider {
public:
    explicit ReadOnlyInput(QString input)
        : m_input(std::move(input)), m_usual(CArchivFileList::Instance().GetProvider())
    {
    }
    std::shared_ptr<archive::Storage> Open(const QString& path, archive::StorageStatus* status) override
    {
        return path == m_input ? archive::OpenCfbReadOnly(path, status) : m_usual->Open(path, status);
    }
    std::shared_ptr<archive::Storage> OpenReadOnly(const QString& path, archive::StorageStatus* status) override
    {
        return path == m_input ? archive::OpenCfbReadOnly(path, status) : m_usual->OpenReadOnly(path, status);
    }
    std::shared_ptr<archive::Storage> Create(const QString& path, bool overwrite,
                                             archive::StorageStatus* status) override
    {
        if (path == m_input) {
            if (status)
                *status = archive::StorageStatus::Failed;
            return nullptr;
        }
        return m_usual->Create(path, overwrite, status);
    }
    std::shared_ptr<archive::StorageProvider> Usual() const { return m_usual; }

private:
    const QString m_input;
    const std::shared_ptr<archive::StorageProvider> m_usual;
};

class InputReadOnly {
public:
    explicit InputReadOnly(const QString& path) : m_provider(std::make_shared<ReadOnlyInput>(path))
    {
        CArchivFileList::Instance().SetProvider(m_provider);
    }
    ~InputReadOnly() { CArchivFileList::Instance().SetProvider(m_provider->Usual()); }
    InputReadOnly(const InputReadOnly&) = delete;
    InputReadOnly& operator=(const InputReadOnly&) = delete;

private:
    std::shared_ptr<ReadOnlyInput> m_provider;
};

struct Context {
    QString path;
    QTextStream& out;
    QTextStream& err;
};

template <class Data>
int OpenArchive(Archive<Data>& archive, const Context& c)
{
    if (!QFileInfo(c.path).isFile())
        return BadFile(c.err, c.path, QStringLiteral("Soubor neexistuje."));
    // The program holds the file it records into: that is no damage.
    const auto held = cfb::CompoundFile::open(QFile::encodeName(c.path).toStdString(), cfb::OpenMode::ReadOnly);
    if (!held && held.code() == cfb::Errc::locked)
        return BadFile(c.err, c.path,
                       QStringLiteral("Soubor právě používá jiný program (zaznamenává se do něj); "
                                      "čtěte jeho kopii, nebo to zkuste později."));
    if (archive.Open(c.path) != 1 || archive.ReadHeader() != 1) {
        const QString why = archive.GetErrorText();
        return BadFile(c.err, c.path, why.isEmpty() ? QStringLiteral("Soubor je prázdný, nebo poškozený.") : why);
    }
    return kExitOk;
}

// Every written block in time order; of a damaged block, the records before
// the damage and a record that marks it, so that it hides nothing written
// after it.
struct Contents {
    CArchivRecordList records;
    std::vector<int> badSlots;
    std::uint32_t first = 0; // 0: no record with a time
    std::uint32_t last = 0;
    int measurements = 0;
};

template <class Data>
Contents ReadAll(Archive<Data>& archive)
{
    Contents c;
    for (int slot : archive.WrittenSlots()) {
        if (archive.ReadBlock(slot, c.records) != 1)
            c.badSlots.push_back(slot);
    }
    for (const CArchivRecord& r : c.records) {
        if (r.time != 0 && (c.first == 0 || r.time < c.first))
            c.first = r.time;
        c.last = std::max(c.last, r.time);
        c.measurements += r.IsData() ? 1 : 0;
    }
    return c;
}

template <class Data>
int Info(const Context& c, const char* family)
{
    Archive<Data> archive;
    if (const int rc = OpenArchive(archive, c))
        return rc;
    const Contents all = ReadAll(archive);
    c.out << "file: " << c.path << '\n'
          << "family: " << family << '\n'
          << "instrument: " << archive.GetInstrumentName() << '\n'
          << "slots: " << archive.SlotTotal() << '\n'
          << "blocks: " << archive.WrittenSlots().size() << '\n'
          << "records: " << all.records.size() << '\n'
          << "measurements: " << all.measurements << '\n'
          << "first: " << (all.first ? CTime(all.first).Format(kTimeFormat) : QStringLiteral("-")) << '\n'
          << "last: " << (all.last ? CTime(all.last).Format(kTimeFormat) : QStringLiteral("-")) << '\n';
    c.out.flush();
    archive.Close();
    return BadBlocks(c.err, c.path, all.badSlots);
}

template <class Data>
int Records(const Context& c)
{
    Archive<Data> archive;
    if (const int rc = OpenArchive(archive, c))
        return rc;
    const Contents all = ReadAll(archive);
    for (const CArchivRecord& r : all.records) {
        c.out << CTime(r.time).Format(kTimeFormat) << '\t' << int(r.type) << ' ' << TypeName(r.type) << '\t'
              << r.data.size() << '\t' << Summary(r) << '\n';
    }
    c.out.flush();
    archive.Close();
    return BadBlocks(c.err, c.path, all.badSlots);
}

template <class Data>
bool ReadRecords(const QString& path, CArchivRecordList& records, QString& instrument, QString& error)
{
    const InputReadOnly readOnly(path);
    Archive<Data> archive;
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    if (OpenArchive(archive, Context{path, outStream, errStream}) != kExitOk) {
        error = err.trimmed();
        return false;
    }
    instrument = archive.GetInstrumentName();
    Contents all = ReadAll(archive);
    archive.Close();
    records = std::move(all.records);
    if (!all.badSlots.empty())
        error = BadBlockText(all.badSlots.front());
    return all.badSlots.empty();
}

struct CsvOptions {
    QString outPath;
    std::optional<CTime> from;
    std::optional<CTime> to;
};

template <class Data, class Columns>
int Csv(const Context& c, const CsvOptions& o, const Columns& columns)
{
    Archive<Data> archive;
    if (const int rc = OpenArchive(archive, c))
        return rc;
    const Contents all = ReadAll(archive);
    // The whole file by default: from its first record to one second past
    // its last, so that the last row is inside the window.
    charts::CsvWindow window;
    window.blocks = archive.WrittenSlots();
    std::erase_if(window.blocks, [&all](int slot) { return std::ranges::count(all.badSlots, slot) > 0; });
    window.start = o.from ? *o.from : CTime(all.first);
    const std::int64_t end = o.to ? std::int64_t(o.to->GetTime()) : std::int64_t(all.last) + 1;
    window.span = int(std::clamp<std::int64_t>(end - std::int64_t(window.start.GetTime()), 0, INT32_MAX));

    // The bound archive reads, scales and walks the window first, as the
    // value list has done before its export: the copy takes the window's
    // formats and the ratios, identification and connection in force.
    charts::csvfamily::LoadWindow(archive, window);
    charts::csvfamily::ScaleAndWalkLikeTheList(archive);
    charts::TArchiveCsvExport<Data, Columns> exporter;
    exporter.Prepare(archive, window);
    if (exporter.Copy().GetFilePath().isEmpty()) {
        archive.Close();
        c.err << "archivetool: " << c.path << ": " << exporter.Copy().GetErrorText() << '\n';
        c.err.flush();
        return all.badSlots.empty() ? kExitUsage : BadBlocks(c.err, c.path, all.badSlots);
    }
    QString error;
    const int ok = exporter.Write(o.outPath, charts::kCsvDecimalComma, columns, error);
    archive.Close();
    if (!ok) {
        c.err << "archivetool: " << o.outPath << ": " << error << '\n';
        c.err.flush();
        // What could not be read may be what made the export fail.
        return all.badSlots.empty() ? kExitUsage : BadBlocks(c.err, c.path, all.badSlots);
    }
    return BadBlocks(c.err, c.path, all.badSlots);
}

template <class Array>
Array AllChecked()
{
    Array a{};
    a.fill(1);
    return a;
}

struct Family {
    const char* extension;
    const char* name;
    std::function<int(const Context&)> info;
    std::function<int(const Context&)> records;
    std::function<int(const Context&, const CsvOptions&)> csv;
    std::function<bool(const QString&, CArchivRecordList&, QString&, QString&)> read;
};

template <class Data, class Columns>
Family Make(const char* extension, const char* name, Columns columns)
{
    return {extension, name, [name](const Context& c) { return Info<Data>(c, name); },
            [](const Context& c) { return Records<Data>(c); },
            [columns](const Context& c, const CsvOptions& o) { return Csv<Data>(c, o, columns); },
            [](const QString& path, CArchivRecordList& records, QString& instrument, QString& error) {
                return ReadRecords<Data>(path, records, instrument, error);
            }};
}

const std::vector<Family>& Families()
{
    static const std::vector<Family> all = [] {
        charts::VKRCsvColumns vkr;
        vkr.flags.fill(1);
        vkr.extra.fill(1);
        return std::vector<Family>{
            Make<CQorinArchivData>(".qor", "Qorin", AllChecked<CQorinArchivData::Columns>()),
            Make<CVKRArchivData>(".vkr", "VKR", vkr),
            Make<CVKTArchivData>(".vkt", "VKT", AllChecked<CVKTArchivData::Selection>()),
            Make<CVKArchivData>(".vk", "VK", charts::VKCsvColumns{AllChecked<decltype(charts::VKCsvColumns::flags)>()}),
            Make<CDuskarArchivData>(".dsk", "Duskar", AllChecked<CDuskarArchivData::Columns>()),
        };
    }();
    return all;
}

const Family* FamilyOf(const QString& path)
{
    const QString suffix = QLatin1Char('.') + QFileInfo(path).suffix().toLower();
    for (const Family& f : Families())
        if (suffix == QLatin1String(f.extension))
            return &f;
    return nullptr;
}

} // namespace

bool ReadArchiveRecords(const QString& path, CArchivRecordList& records, QString& instrument, QString& error)
{
    records.clear();
    const Family* family = FamilyOf(path);
    if (!family) {
        error = QStringLiteral("Neznámý typ archivního souboru.");
        return false;
    }
    return family->read(path, records, instrument, error);
}

int Run(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() < 2)
        return Usage(err);
    const QString& command = args.at(0);
    const Context c{args.at(1), out, err};
    const InputReadOnly readOnly(c.path);
    const Family* family = FamilyOf(c.path);
    const bool known = command == QLatin1String("info") || command == QLatin1String("records")
                       || command == QLatin1String("csv");
    if (!known)
        return Usage(err);
    if (!family)
        return BadFile(err, c.path, QStringLiteral("Neznámý typ archivního souboru (.qor, .vk, .vkr, .vkt, .dsk)."));

    if (command == QLatin1String("info")) {
        return args.size() == 2 ? family->info(c) : Usage(err);
    }
    if (command == QLatin1String("records")) {
        return args.size() == 2 ? family->records(c) : Usage(err);
    }
    if (args.size() < 3)
        return Usage(err);
    CsvOptions options;
    options.outPath = args.at(2);
    for (int i = 3; i < args.size(); ++i) {
        const QString& option = args.at(i);
        if ((option != QLatin1String("--from") && option != QLatin1String("--to")) || i + 1 >= args.size())
            return Usage(err);
        const std::optional<CTime> t = ParseTime(args.at(++i));
        if (!t) {
            err << "archivetool: " << args.at(i) << ": not a time (YYYY-MM-DD HH:MM[:SS])\n";
            err.flush();
            return kExitUsage;
        }
        (option == QLatin1String("--from") ? options.from : options.to) = t;
    }
    return family->csv(c, options);
}

} // namespace archivetool
