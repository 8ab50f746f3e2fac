#pragma once

#include "platform/Time32.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Binary serialiser, byte-compatible with the settings, profile and waveform
// files of earlier versions: little-endian primitives, IEEE floats, strings in
// code page 1250 behind a length prefix, and objects tagged with their class
// name and schema.
namespace platform {

class SerialArchive;
class SerialObject;

class ArchiveError : public std::runtime_error {
public:
    enum Cause { EndOfFile, BadClass, BadSchema, BadIndex, Generic };
    ArchiveError(Cause cause, const std::string& what) : std::runtime_error(what), m_cause(cause) {}
    Cause cause() const { return m_cause; }
    // Czech text for the user.
    QString Text() const;

private:
    Cause m_cause;
};

// Run-time class of a serialisable object: name and schema travel in files.
struct SerialClass {
    const char* name;
    std::uint16_t schema;
    // A versionable class accepts every schema on load; Serialize asks the
    // archive which one it is reading (GetObjectSchema).
    bool versionable;
    SerialObject* (*create)();
    const SerialClass* base;

    bool IsDerivedFrom(const SerialClass* other) const;
    // Classes register themselves at start-up (see QORIN_IMPLEMENT_SERIAL).
    static const SerialClass* FromName(std::string_view name);
    static void Register(const SerialClass* cls);
};

class SerialObject {
public:
    virtual ~SerialObject() = default;
    virtual const SerialClass* GetRuntimeClass() const = 0;
    virtual void Serialize(SerialArchive& ar);
    bool IsKindOf(const SerialClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
};

struct SerialClassRegistrar {
    explicit SerialClassRegistrar(const SerialClass* cls) { SerialClass::Register(cls); }
};

// In the class body.
#define QORIN_DECLARE_SERIAL(Cls)                                                                                      \
public:                                                                                                                \
    static const ::platform::SerialClass class##Cls;                                                                   \
    static ::platform::SerialObject* CreateObject();                                                                   \
    static const ::platform::SerialClass* StaticClass() { return &class##Cls; }                                       \
    const ::platform::SerialClass* GetRuntimeClass() const override;

// In one .cpp. BaseClassPtr is &Base::classBase or nullptr.
#define QORIN_IMPLEMENT_SERIAL_EX(Cls, BaseClassPtr, Schema, Versionable)                                              \
    ::platform::SerialObject* Cls::CreateObject() { return new Cls; }                                                 \
    const ::platform::SerialClass Cls::class##Cls = {#Cls, std::uint16_t(Schema), Versionable, &Cls::CreateObject,     \
                                                     BaseClassPtr};                                                    \
    const ::platform::SerialClass* Cls::GetRuntimeClass() const { return &Cls::class##Cls; }                         \
    static const ::platform::SerialClassRegistrar s_register##Cls(&Cls::class##Cls);

#define QORIN_IMPLEMENT_SERIAL(Cls, BaseClassPtr, Schema) QORIN_IMPLEMENT_SERIAL_EX(Cls, BaseClassPtr, Schema, false)
#define QORIN_IMPLEMENT_SERIAL_VERSIONABLE(Cls, BaseClassPtr, Schema)                                                  \
    QORIN_IMPLEMENT_SERIAL_EX(Cls, BaseClassPtr, Schema, true)

// An archive over a memory buffer: storing appends to buffer(); loading reads
// the bytes given. Every read past the end, unknown class, wrong schema or bad
// index throws ArchiveError; load into a temporary and commit only when the
// whole read succeeded (see LoadObject).
class SerialArchive {
public:
    enum Mode { Store = 0, Load = 1 };

    SerialArchive(); // storing
    explicit SerialArchive(QByteArray data); // loading
    ~SerialArchive();
    SerialArchive(const SerialArchive&) = delete;
    SerialArchive& operator=(const SerialArchive&) = delete;

    bool IsLoading() const { return m_mode == Load; }
    bool IsStoring() const { return m_mode == Store; }
    // Bit 0 set means loading.
    unsigned GetMode() const { return unsigned(m_mode); }

    const QByteArray& buffer() const { return m_data; }
    qsizetype position() const { return m_pos; }
    bool AtEnd() const { return m_pos >= m_data.size(); }
    qsizetype Remaining() const { return m_data.size() - m_pos; }

    // Raw bytes.
    void Write(const void* data, qsizetype size);
    qsizetype Read(void* data, qsizetype size); // may read fewer at the end
    void ReadExact(void* data, qsizetype size);

    SerialArchive& operator<<(std::uint8_t v) { return PutLE(v); }
    SerialArchive& operator<<(std::int8_t v) { return PutLE(std::uint8_t(v)); }
    SerialArchive& operator<<(std::uint16_t v) { return PutLE(v); }
    SerialArchive& operator<<(std::int16_t v) { return PutLE(std::uint16_t(v)); }
    SerialArchive& operator<<(std::uint32_t v) { return PutLE(v); }
    SerialArchive& operator<<(std::int32_t v) { return PutLE(std::uint32_t(v)); }
    SerialArchive& operator<<(float v);
    SerialArchive& operator<<(double v);
    SerialArchive& operator<<(CTime t) { return PutLE(t.GetTime()); }
    SerialArchive& operator<<(const QString& s);
    SerialArchive& operator<<(bool) = delete; // say BYTE or LONG explicitly
    SerialArchive& operator<<(char) = delete;
    SerialArchive& operator<<(long) = delete; // 64-bit here, 32-bit in files

    SerialArchive& operator>>(std::uint8_t& v) { return GetLE(v); }
    SerialArchive& operator>>(std::int8_t& v);
    SerialArchive& operator>>(std::uint16_t& v) { return GetLE(v); }
    SerialArchive& operator>>(std::int16_t& v);
    SerialArchive& operator>>(std::uint32_t& v) { return GetLE(v); }
    SerialArchive& operator>>(std::int32_t& v);
    SerialArchive& operator>>(float& v);
    SerialArchive& operator>>(double& v);
    SerialArchive& operator>>(CTime& t);
    SerialArchive& operator>>(QString& s);

    // The string length prefix alone (also used by callers that write raw
    // code page 1250 bytes themselves).
    void WriteStringLength(std::uint32_t length);
    std::uint32_t ReadStringLength(bool* wide = nullptr);
    void WriteBytesAsString(const QByteArray& cp1250);
    QByteArray ReadStringBytes();

    // Objects with class tags. Null is allowed. Every object written is a new
    // object (no back-references are written).
    void WriteObject(const SerialObject* object);
    // Reads an object that must be of the expected class (or derived from it).
    std::unique_ptr<SerialObject> ReadObject(const SerialClass* expected);
    template <class T>
    std::unique_ptr<T> ReadObjectOf()
    {
        auto p = ReadObject(T::StaticClass());
        return std::unique_ptr<T>(static_cast<T*>(p.release()));
    }
    // Reads an embedded sub-object of exactly T's class and copies its fields
    // into dest. A null object leaves dest unchanged.
    template <class T>
    void ReadObjectInto(T& dest)
    {
        if (auto p = ReadObjectOf<T>())
            dest = *p;
    }

    // Schema of the object being loaded (versionable classes), or -1.
    int GetObjectSchema();
    void SetObjectSchema(int schema) { m_objectSchema = schema; }

    [[noreturn]] void Fail(ArchiveError::Cause cause, const std::string& what) const;

private:
    template <class T>
    SerialArchive& PutLE(T v)
    {
        unsigned char b[sizeof(T)];
        for (std::size_t i = 0; i < sizeof(T); ++i)
            b[i] = static_cast<unsigned char>((std::uint64_t(v) >> (8 * i)) & 0xFF);
        Write(b, qsizetype(sizeof(T)));
        return *this;
    }
    template <class T>
    SerialArchive& GetLE(T& v)
    {
        unsigned char b[sizeof(T)];
        ReadExact(b, qsizetype(sizeof(T)));
        std::uint64_t x = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            x |= std::uint64_t(b[i]) << (8 * i);
        v = T(x);
        return *this;
    }
    void WriteClass(const SerialClass* cls);
    const SerialClass* ReadClass(const SerialClass* expected, std::uint32_t* tag);

    Mode m_mode;
    QByteArray m_data;
    qsizetype m_pos = 0;
    std::uint32_t m_mapCount = 1; // index 0 is null
    std::vector<std::pair<const SerialClass*, std::uint32_t>> m_storeClasses; // class and its map index
    struct LoadedClass {
        const SerialClass* cls = nullptr; // null for an object's index
        int schema = -1; // as the file stored it
    };
    std::vector<LoadedClass> m_loadMap;
    int m_objectSchema = -1;
};

// Loads one value through its Serialize-like function into a temporary and
// assigns it to dest only when the whole read succeeded. Returns the error
// text (empty on success).
template <class T, class Fn>
QString LoadInto(const QByteArray& data, T& dest, Fn&& serialize)
{
    try {
        SerialArchive ar(data);
        T tmp = dest;
        serialize(ar, tmp);
        dest = std::move(tmp);
        return {};
    } catch (const ArchiveError& e) {
        return e.Text();
    }
}

} // namespace platform
