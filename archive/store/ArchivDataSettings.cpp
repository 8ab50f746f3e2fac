#include "archive/store/ArchivData.h"

#include "platform/StringTable.h"

namespace {

const std::string kSettingsStream = "nastaveni";
const std::string kBexorStream = "bexor";

// The framing fields of "nastaveni": the instrument name string of L bytes
// (after its 4-byte length), then the lengths A and B of the two sections.
struct SettingsFrame {
    DWORD nameLength = 0;
    DWORD sectionA = 0;
    DWORD sectionB = 0;

    std::int64_t LengthsAt() const { return 4 + std::int64_t(nameLength); }
    std::int64_t SectionsAt() const { return LengthsAt() + 8; }
};

bool IsNegative(DWORD value)
{
    return std::int32_t(value) < 0;
}

// The initial content: the name 32437 and two empty sections.
bool WriteInitialContent(CArchivStream& stream)
{
    return WriteStringToStream(platform::LoadString(platform::IDS_UNKNOWN_NAME), stream)
           && WriteDwordToStream(0, stream) && WriteDwordToStream(0, stream);
}

} // namespace

int CArchivData::EnsureSettingsStream(const QString& instrument)
{
    auto entry = CurrentEntry();
    auto storage = entry ? entry->GetStorage() : nullptr;
    if (!storage)
        return 0;
    archive::StorageStatus status = archive::StorageStatus::Ok;
    if (storage->OpenStream(kSettingsStream, &status) || status != archive::StorageStatus::NotFound)
        return 1;
    if (auto created = storage->CreateStream(kSettingsStream)) {
        CArchivStream stream(std::move(created));
        WriteStringToStream(instrument, stream);
    }
    ReportFileError(QString());
    return 1;
}

QString CArchivData::GetInstrumentName()
{
    auto entry = CurrentEntry();
    auto storage = entry ? entry->GetStorage() : nullptr;
    auto raw = storage ? storage->OpenStream(kSettingsStream) : nullptr;
    if (!raw)
        return QString();
    CArchivStream stream(std::move(raw));
    QString name;
    return ReadStringFromStream(name, stream) ? name : QString();
}

std::unique_ptr<CArchivStream> CArchivData::OpenSettingsStream(int section, QString& instrument, DWORD& length)
{
    instrument.clear();
    auto entry = CurrentEntry();
    auto storage = entry ? entry->GetStorage() : nullptr;
    auto raw = storage ? storage->OpenStream(kSettingsStream) : nullptr;
    if (!raw)
        return nullptr;
    auto stream = std::make_unique<CArchivStream>(std::move(raw));
    DWORD a = 0;
    DWORD b = 0;
    if (!ReadStringFromStream(instrument, *stream) || !ReadDwordFromStream(a, *stream)
        || !ReadDwordFromStream(b, *stream))
        return nullptr;
    if (section == 1) {
        if (stream->Seek(std::int64_t(a), CArchivStream::FromCurrent) < 0)
            return nullptr;
        length = b;
    } else {
        length = a;
    }
    return stream;
}

std::unique_ptr<CArchivStream> CArchivData::OpenSettingsSection(int section, std::optional<QByteArray>& saved)
{
    saved.reset();
    MakeWritable();
    auto entry = CurrentEntry();
    auto storage = entry ? entry->GetStorage() : nullptr;
    if (!storage)
        return nullptr;
    archive::StorageStatus status = archive::StorageStatus::Ok;
    auto raw = storage->OpenStream(kSettingsStream, &status);
    if (!raw && status == archive::StorageStatus::NotFound)
        raw = storage->CreateStream(kSettingsStream);
    if (!raw)
        return nullptr;
    auto stream = std::make_unique<CArchivStream>(std::move(raw));
    auto fail = [this, &stream, &saved]() -> std::unique_ptr<CArchivStream> {
        stream.reset();
        saved.reset();
        ReportFileError(HeaderName());
        return nullptr;
    };

    SettingsFrame frame;
    const std::int64_t size = stream->GetSize();
    if (size < 0)
        return fail();
    if (!ReadDwordFromStream(frame.nameLength, *stream)) {
        if (!stream->SeekTo(0) || !WriteInitialContent(*stream))
            return fail();
    } else if (frame.LengthsAt() > size) {
        // The name runs past the end: the stream is rebuilt from scratch.
        if (!stream->SetSize(0) || !stream->SeekTo(0) || !WriteInitialContent(*stream))
            return fail();
    } else {
        stream->SeekTo(frame.LengthsAt());
        if (!ReadDwordFromStream(frame.sectionA, *stream) || !ReadDwordFromStream(frame.sectionB, *stream)
            || IsNegative(frame.sectionA) || IsNegative(frame.sectionB)) {
            frame.sectionA = frame.sectionB = 0;
            if (!stream->SetSize(frame.LengthsAt()) || !stream->SeekTo(frame.LengthsAt())
                || !WriteDwordToStream(0, *stream) || !WriteDwordToStream(0, *stream))
                return fail();
        }
    }
    if (!stream->SeekTo(0) || !ReadDwordFromStream(frame.nameLength, *stream))
        return fail();

    if (section == 1) {
        if (!stream->SeekTo(frame.SectionsAt() + std::int64_t(frame.sectionA)))
            return fail();
        return stream;
    }
    if (frame.sectionB > 0) {
        QByteArray keep(qsizetype(frame.sectionB), '\0');
        stream->SeekTo(frame.SectionsAt() + std::int64_t(frame.sectionA));
        if (stream->Read(keep.data(), keep.size()) == keep.size())
            saved = std::move(keep);
    }
    if (!stream->SetSize(frame.SectionsAt()) || !stream->SeekTo(frame.SectionsAt()))
        return fail();
    return stream;
}

int CArchivData::CloseSettingsSection(std::unique_ptr<CArchivStream> stream, int section,
                                      std::optional<QByteArray>& saved)
{
    if (!stream) {
        saved.reset();
        return 0;
    }
    auto fail = [this, &stream, &saved]() {
        stream.reset();
        saved.reset();
        ReportFileError(HeaderName());
        return 0;
    };
    const std::int64_t end = stream->GetPosition();
    SettingsFrame frame;
    if (!stream->SeekTo(0) || !ReadDwordFromStream(frame.nameLength, *stream) || !stream->SeekTo(frame.LengthsAt())
        || !ReadDwordFromStream(frame.sectionA, *stream) || !ReadDwordFromStream(frame.sectionB, *stream))
        return fail();
    if (section == 0) {
        frame.sectionA = DWORD(end - frame.SectionsAt());
        if (!saved)
            frame.sectionB = 0;
    } else {
        frame.sectionB = DWORD(end - frame.SectionsAt() - std::int64_t(frame.sectionA));
    }
    if (!stream->SeekTo(frame.LengthsAt()) || !WriteDwordToStream(frame.sectionA, *stream)
        || !WriteDwordToStream(frame.sectionB, *stream))
        return fail();
    if (section == 0 && saved) {
        if (!stream->SeekTo(end) || stream->Write(saved->constData(), saved->size()) != saved->size())
            return fail();
    } else if (section == 1) {
        stream->SetSize(end); // no stale tail after a shorter section
    }
    stream.reset();
    saved.reset();
    return 1;
}

bool CArchivData::WriteSettingsSection(int section, const QByteArray& bytes)
{
    {
        QString instrument;
        DWORD length = 0;
        if (auto stored = OpenSettingsStream(section, instrument, length); stored && length == DWORD(bytes.size())) {
            QByteArray held(bytes.size(), '\0');
            if (stored->Read(held.data(), held.size()) == held.size() && held == bytes)
                return true;
        }
    }
    // Viewing alone changes nothing in a file that a write would rewrite.
    if (auto entry = CurrentEntry(); entry && entry->IsReadOnly()
        && (m_readDamage || !CArchivFileList::Instance().MakeWritable(entry, true)))
        return false;
    std::optional<QByteArray> saved;
    std::unique_ptr<CArchivStream> stream = OpenSettingsSection(section, saved);
    if (!stream)
        return false;
    if (stream->Write(bytes.constData(), bytes.size()) != bytes.size()) {
        ReleaseAndReportError(stream);
        return false;
    }
    return CloseSettingsSection(std::move(stream), section, saved) == 1;
}

int CArchivData::ReleaseAndReportError(std::unique_ptr<CArchivStream>& stream)
{
    stream.reset();
    ReportFileError(HeaderName());
    return 1;
}

int CArchivData::ReleaseStream(std::unique_ptr<CArchivStream>& stream)
{
    stream.reset();
    return 1;
}

int CArchivData::OpenBexor(std::unique_ptr<CArchivStream>& stream, bool create,
                           const std::function<bool(CArchivStream&)>& readIndex)
{
    stream.reset();
    if (create)
        MakeWritable();
    auto entry = CurrentEntry();
    auto storage = entry ? entry->GetStorage() : nullptr;
    if (!storage)
        return 0;
    archive::StorageStatus status = archive::StorageStatus::Ok;
    auto raw = storage->OpenStream(kBexorStream, &status);
    if (!raw) {
        if (!create || status != archive::StorageStatus::NotFound)
            return 0;
        raw = storage->CreateStream(kBexorStream);
        if (!raw)
            return 0;
        stream = std::make_unique<CArchivStream>(std::move(raw));
        return 1;
    }
    auto opened = std::make_unique<CArchivStream>(std::move(raw));
    const std::int64_t size = opened->GetSize();
    if (size == 0) // a stream made earlier that holds no block yet
        return create ? (stream = std::move(opened), 1) : 0;
    if (size < 0 || !readIndex(*opened)) {
        // Meter data that cannot be indexed are kept for rescue, never
        // replaced by an empty stream.
        SetErrorText(platform::LoadString(platform::IDS_FILE_DAMAGED));
        return 0;
    }
    stream = std::move(opened);
    return 1;
}
