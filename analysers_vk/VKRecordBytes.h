#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstring>

// The little-endian 32-bit fields of the records the VK windows keep in an
// archive's settings stream. A read never goes past the end of the block.
namespace analysers_vk::recordbytes {

inline void PutInt(QByteArray& out, int value)
{
    char bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    out.append(bytes, 4);
}

inline void PutFloat(QByteArray& out, float value)
{
    int bits = 0;
    std::memcpy(&bits, &value, 4);
    PutInt(out, bits);
}

// A value stored as a block: its length (4), then the float.
inline void PutBlob(QByteArray& out, float value)
{
    PutInt(out, 4);
    PutFloat(out, value);
}

class Reader {
public:
    explicit Reader(const QByteArray& data) : m_data(data) {}

    bool Int(int& out)
    {
        if (m_pos + 4 > m_data.size())
            return false;
        out = qFromLittleEndian<qint32>(m_data.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool Float(float& out)
    {
        int bits = 0;
        if (!Int(bits))
            return false;
        std::memcpy(&out, &bits, 4);
        return true;
    }
    // A block whose length is not 4 is not a value of ours.
    bool Blob(float& out)
    {
        int length = 0;
        return Int(length) && length == 4 && Float(out);
    }

private:
    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

} // namespace analysers_vk::recordbytes
