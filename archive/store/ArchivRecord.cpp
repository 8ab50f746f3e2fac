#include "archive/store/ArchivRecord.h"

namespace archive {

void AppendU32(QByteArray& out, std::uint32_t value)
{
    const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                           char((value >> 24) & 0xFF)};
    out.append(bytes, 4);
}

std::uint32_t ReadU32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

QByteArray DeepCopy(const QByteArray& bytes)
{
    return QByteArray(bytes.constData(), bytes.size());
}

QString DeepCopy(const QString& text)
{
    return QString(text.constData(), text.size());
}

CArchivRecordList DeepCopy(const CArchivRecordList& records)
{
    CArchivRecordList out;
    out.reserve(records.size());
    for (const CArchivRecord& r : records)
        out.push_back({r.time, r.type, DeepCopy(r.data)});
    return out;
}

QByteArray EncodeBlock(const CArchivRecordList& records)
{
    qsizetype size = 4;
    for (const CArchivRecord& r : records)
        size += kRecordHeadSize + r.data.size();
    QByteArray out;
    out.reserve(size);
    AppendU32(out, std::uint32_t(records.size()));
    for (const CArchivRecord& r : records) {
        AppendU32(out, r.time);
        out.append(char(r.type));
        AppendU32(out, std::uint32_t(r.data.size()));
        out.append(r.data);
    }
    return out;
}

bool DecodeBlock(const QByteArray& bytes, CArchivRecordList& out)
{
    if (bytes.size() < 4)
        return false;
    const char* p = bytes.constData();
    const qsizetype size = bytes.size();
    const std::uint32_t count = ReadU32(p);
    qsizetype pos = 4;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (size - pos < kRecordHeadSize)
            return false;
        CArchivRecord r;
        r.time = ReadU32(p + pos);
        r.type = std::uint8_t(p[pos + 4]);
        const std::uint32_t length = ReadU32(p + pos + 5);
        pos += kRecordHeadSize;
        if (std::uint64_t(length) > std::uint64_t(size - pos))
            return false;
        r.data = bytes.mid(pos, qsizetype(length));
        pos += qsizetype(length);
        out.push_back(std::move(r));
    }
    return true;
}

} // namespace archive
