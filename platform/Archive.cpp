#include "platform/Archive.h"

#include "platform/Cp1250.h"

#include <cstring>
#include <map>
#include <mutex>

namespace platform {
namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFEu;
constexpr std::uint16_t kMaxClassNameLength = 64;

struct Registry {
    std::mutex lock;
    std::map<std::string, const SerialClass*, std::less<>> classes;
};

Registry& registry()
{
    static Registry r;
    return r;
}

} // namespace

QString ArchiveError::Text() const
{
    switch (m_cause) {
    case EndOfFile:
        return QStringLiteral("Neočekávaný konec souboru.");
    case BadClass:
        return QStringLiteral("Soubor obsahuje neočekávaný typ objektu.");
    case BadSchema:
        return QStringLiteral("Soubor byl vytvořen nepodporovanou verzí programu.");
    case BadIndex:
        return QStringLiteral("Soubor je poškozen.");
    case Generic:
        break;
    }
    return QStringLiteral("Chyba při čtení souboru.");
}

bool SerialClass::IsDerivedFrom(const SerialClass* other) const
{
    for (const SerialClass* c = this; c; c = c->base) {
        if (c == other)
            return true;
    }
    return false;
}

const SerialClass* SerialClass::FromName(std::string_view name)
{
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    auto it = r.classes.find(name);
    return it == r.classes.end() ? nullptr : it->second;
}

void SerialClass::Register(const SerialClass* cls)
{
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    r.classes[cls->name] = cls;
}

void SerialObject::Serialize(SerialArchive&) {}

SerialArchive::SerialArchive() : m_mode(Store) {}

SerialArchive::SerialArchive(QByteArray data) : m_mode(Load), m_data(std::move(data)) {}

SerialArchive::~SerialArchive() = default;

void SerialArchive::Fail(ArchiveError::Cause cause, const std::string& what) const
{
    throw ArchiveError(cause, what);
}

void SerialArchive::Write(const void* data, qsizetype size)
{
    if (size > 0)
        m_data.append(static_cast<const char*>(data), size);
}

qsizetype SerialArchive::Read(void* data, qsizetype size)
{
    const qsizetype n = std::min(size, Remaining());
    if (n > 0) {
        std::memcpy(data, m_data.constData() + m_pos, std::size_t(n));
        m_pos += n;
    }
    return n;
}

void SerialArchive::ReadExact(void* data, qsizetype size)
{
    if (size > Remaining())
        Fail(ArchiveError::EndOfFile, "unexpected end of archive");
    Read(data, size);
}

SerialArchive& SerialArchive::operator<<(float v)
{
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return PutLE(bits);
}

SerialArchive& SerialArchive::operator<<(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    return PutLE(bits);
}

SerialArchive& SerialArchive::operator>>(std::int8_t& v)
{
    std::uint8_t u;
    GetLE(u);
    v = std::int8_t(u);
    return *this;
}

SerialArchive& SerialArchive::operator>>(std::int16_t& v)
{
    std::uint16_t u;
    GetLE(u);
    v = std::int16_t(u);
    return *this;
}

SerialArchive& SerialArchive::operator>>(std::int32_t& v)
{
    std::uint32_t u;
    GetLE(u);
    v = std::int32_t(u);
    return *this;
}

SerialArchive& SerialArchive::operator>>(float& v)
{
    std::uint32_t bits;
    GetLE(bits);
    std::memcpy(&v, &bits, 4);
    return *this;
}

SerialArchive& SerialArchive::operator>>(double& v)
{
    std::uint64_t bits;
    GetLE(bits);
    std::memcpy(&v, &bits, 8);
    return *this;
}

SerialArchive& SerialArchive::operator>>(CTime& t)
{
    std::uint32_t v;
    GetLE(v);
    t = CTime(v);
    return *this;
}

void SerialArchive::WriteStringLength(std::uint32_t length)
{
    if (length < 255) {
        PutLE(std::uint8_t(length));
    } else if (length < 0xFFFE) {
        PutLE(std::uint8_t(0xFF));
        PutLE(std::uint16_t(length));
    } else {
        PutLE(std::uint8_t(0xFF));
        PutLE(std::uint16_t(0xFFFF));
        PutLE(length);
    }
}

std::uint32_t SerialArchive::ReadStringLength(bool* wide)
{
    if (wide)
        *wide = false;
    std::uint8_t b;
    GetLE(b);
    if (b < 0xFF)
        return b;
    std::uint16_t w;
    GetLE(w);
    if (w == 0xFFFE) {
        // Marker of a UTF-16 string; the real length follows.
        if (wide)
            *wide = true;
        return ReadStringLength(nullptr);
    }
    if (w < 0xFFFF)
        return w;
    std::uint32_t d;
    GetLE(d);
    return d;
}

void SerialArchive::WriteBytesAsString(const QByteArray& cp1250)
{
    WriteStringLength(std::uint32_t(cp1250.size()));
    Write(cp1250.constData(), cp1250.size());
}

QByteArray SerialArchive::ReadStringBytes()
{
    const std::uint32_t n = ReadStringLength();
    // The length comes from the file: check it against what is there before
    // allocating anything.
    if (qsizetype(n) > Remaining())
        Fail(ArchiveError::EndOfFile, "string longer than the archive");
    QByteArray out(m_data.constData() + m_pos, qsizetype(n));
    m_pos += n;
    return out;
}

SerialArchive& SerialArchive::operator<<(const QString& s)
{
    WriteBytesAsString(ToCp1250(s));
    return *this;
}

SerialArchive& SerialArchive::operator>>(QString& s)
{
    bool wide = false;
    const std::uint32_t n = ReadStringLength(&wide);
    const qsizetype bytes = wide ? qsizetype(n) * 2 : qsizetype(n);
    if (bytes > Remaining())
        Fail(ArchiveError::EndOfFile, "string longer than the archive");
    const char* p = m_data.constData() + m_pos;
    if (wide) {
        QString out(qsizetype(n), Qt::Uninitialized);
        for (qsizetype i = 0; i < qsizetype(n); ++i)
            out[i] = QChar(char16_t(std::uint8_t(p[2 * i]) | (std::uint8_t(p[2 * i + 1]) << 8)));
        s = out;
    } else {
        s = FromCp1250(p, bytes);
    }
    m_pos += bytes;
    return *this;
}

void SerialArchive::WriteClass(const SerialClass* cls)
{
    for (const auto& [known, index] : m_storeClasses) {
        if (known == cls) {
            if (index < kBigObjectTag) {
                PutLE(std::uint16_t(kClassTag | index));
            } else {
                PutLE(kBigObjectTag);
                PutLE(std::uint32_t(kBigClassTag | index));
            }
            return;
        }
    }
    PutLE(kNewClassTag);
    const std::size_t len = std::strlen(cls->name);
    PutLE(cls->schema);
    PutLE(std::uint16_t(len));
    Write(cls->name, qsizetype(len));
    m_storeClasses.emplace_back(cls, m_mapCount++);
}

void SerialArchive::WriteObject(const SerialObject* object)
{
    if (!object) {
        PutLE(kNullTag);
        return;
    }
    WriteClass(object->GetRuntimeClass());
    if (m_mapCount >= kMaxMapCount)
        Fail(ArchiveError::Generic, "too many objects");
    ++m_mapCount; // the object's own index; objects are never referenced again
    const_cast<SerialObject*>(object)->Serialize(*this);
}

const SerialClass* SerialArchive::ReadClass(const SerialClass* expected, std::uint32_t* tagOut)
{
    if (m_loadMap.empty())
        m_loadMap.emplace_back();
    std::uint16_t wTag;
    GetLE(wTag);
    std::uint32_t tag;
    if (wTag == kBigObjectTag) {
        GetLE(tag);
    } else {
        tag = (std::uint32_t(wTag & kClassTag) << 16) | (wTag & ~kClassTag);
    }
    *tagOut = tag;
    if (wTag == kNullTag)
        return nullptr;

    const SerialClass* cls = nullptr;
    if (wTag == kNewClassTag) {
        std::uint16_t schema, len;
        GetLE(schema);
        GetLE(len);
        if (len == 0 || len >= kMaxClassNameLength)
            Fail(ArchiveError::BadClass, "bad class name length");
        std::string name(len, '\0');
        ReadExact(name.data(), len);
        cls = SerialClass::FromName(name);
        if (!cls)
            Fail(ArchiveError::BadClass, "unknown class " + name);
        if (cls->schema != schema) {
            if (!cls->versionable)
                Fail(ArchiveError::BadSchema, "schema " + std::to_string(schema) + " of class " + name);
        }
        m_objectSchema = schema;
        if (m_mapCount >= kMaxMapCount)
            Fail(ArchiveError::BadIndex, "too many objects");
        m_loadMap.resize(m_mapCount);
        m_loadMap.push_back({cls, schema});
        ++m_mapCount;
    } else {
        if (!(tag & kBigClassTag))
            Fail(ArchiveError::BadIndex, "object back-reference");
        const std::uint32_t index = tag & ~kBigClassTag;
        if (index == 0 || index >= m_loadMap.size() || !m_loadMap[index].cls)
            Fail(ArchiveError::BadIndex, "bad class index");
        cls = m_loadMap[index].cls;
        m_objectSchema = m_loadMap[index].schema;
    }
    if (expected && !cls->IsDerivedFrom(expected))
        Fail(ArchiveError::BadClass, std::string("class ") + cls->name + " where " + expected->name + " expected");
    return cls;
}

std::unique_ptr<SerialObject> SerialArchive::ReadObject(const SerialClass* expected)
{
    std::uint32_t tag = 0;
    const SerialClass* cls = ReadClass(expected, &tag);
    if (!cls)
        return nullptr;
    std::unique_ptr<SerialObject> object(cls->create());
    // The object's index follows its class; it is never referenced by our
    // files, but indices after it must stay in step.
    m_loadMap.resize(m_mapCount);
    m_loadMap.emplace_back();
    ++m_mapCount;
    object->Serialize(*this);
    return object;
}

int SerialArchive::GetObjectSchema()
{
    const int s = m_objectSchema;
    m_objectSchema = -1;
    return s;
}

} // namespace platform
