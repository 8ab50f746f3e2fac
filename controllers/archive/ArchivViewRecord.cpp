#include "controllers/archive/ArchivViewRecord.h"

#include <QtEndian>

#include <cstring>

namespace controllers {

namespace {

class Writer {
public:
    void Int(int value)
    {
        char bytes[4];
        qToLittleEndian<qint32>(value, bytes);
        m_data.append(bytes, 4);
    }
    void Blob(float value)
    {
        Int(4);
        quint32 bits = 0;
        std::memcpy(&bits, &value, 4);
        Int(int(bits));
    }
    QByteArray m_data;
};

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
    // A blob of exactly four bytes; any other length is not a value of ours.
    bool Blob(float& out)
    {
        const qsizetype start = m_pos;
        int length = 0;
        if (!Int(length) || length != 4 || m_pos + 4 > m_data.size()) {
            m_pos = start;
            return false;
        }
        std::memcpy(&out, m_data.constData() + m_pos, 4);
        m_pos += 4;
        return true;
    }

private:
    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray CArchivViewRecord::Write(bool duskar) const
{
    Writer w;
    for (int value : {isAlarm, isData, isGraf, prickaX, prickaY, x, y, cx, cy, showCommand})
        w.Int(value);
    if (duskar)
        w.Int(tab);
    w.Blob(statU);
    w.Blob(statP);
    w.Blob(statQ);
    w.Int(statSecond);
    w.Int(statFirst);
    w.Int(statEighth);
    return w.m_data;
}

CArchivViewRecord CArchivViewRecord::Read(const QByteArray& block, bool duskar)
{
    CArchivViewRecord record;
    Reader r(block);
    CArchivViewRecord read = record;
    if (!r.Int(read.isAlarm) || !r.Int(read.isData) || !r.Int(read.isGraf) || !r.Int(read.prickaX) ||
        !r.Int(read.prickaY))
        return record; // a cut layout part leaves the defaults
    record = read;
    if (block.size() <= 20)
        return record;
    bool placement = r.Int(read.x) && r.Int(read.y) && r.Int(read.cx) && r.Int(read.cy) && r.Int(read.showCommand);
    if (duskar)
        placement = placement && r.Int(read.tab);
    if (!placement)
        return record;
    read.hasPlacement = true;
    record = read;
    if (block.size() <= 40 && !duskar)
        return record;
    if (r.Blob(read.statU) && r.Blob(read.statP) && r.Blob(read.statQ) && r.Int(read.statSecond) &&
        r.Int(read.statFirst) && r.Int(read.statEighth)) {
        read.hasStatistics = true;
        record = read;
    }
    return record;
}

} // namespace controllers
