#include "analysers_vkt/VKTArchivViewRecord.h"

#include <QDataStream>
#include <QIODevice>

namespace analysers_vkt {

namespace {

// A float stored as a block: its length (4), then its bytes.
constexpr qint32 kFloatBlock = 4;

class Reader {
public:
    explicit Reader(const QByteArray& block) : m_stream(block)
    {
        m_stream.setByteOrder(QDataStream::LittleEndian);
        m_stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
    }
    bool Int(int& out)
    {
        qint32 v = 0;
        m_stream >> v;
        if (m_stream.status() != QDataStream::Ok)
            return false;
        out = v;
        return true;
    }
    bool Float(float& out)
    {
        qint32 length = 0;
        float v = 0;
        m_stream >> length >> v;
        if (m_stream.status() != QDataStream::Ok || length != kFloatBlock)
            return false;
        out = v;
        return true;
    }

private:
    QDataStream m_stream;
};

} // namespace

QByteArray CVKTArchivViewRecord::Write() const
{
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream.setByteOrder(QDataStream::LittleEndian);
    stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
    for (int value : {isAlarm, isData, isGraf, prickaX, prickaY, x, y, cx, cy, showCommand, tab1, tab2, tab3})
        stream << qint32(value);
    stream << kFloatBlock << a << kFloatBlock << b;
    for (int value : {window1, window2, voltageMultiplier, currentMultiplier})
        stream << qint32(value);
    return out;
}

CVKTArchivViewRecord CVKTArchivViewRecord::Read(const QByteArray& block)
{
    CVKTArchivViewRecord record;
    CVKTArchivViewRecord read = record;
    Reader r(block);
    if (!r.Int(read.isAlarm) || !r.Int(read.isData) || !r.Int(read.isGraf) || !r.Int(read.prickaX) ||
        !r.Int(read.prickaY))
        return record;
    read.hasLayout = true;
    record = read;
    if (block.size() <= kLayoutEnd)
        return record;
    if (!r.Int(read.x) || !r.Int(read.y) || !r.Int(read.cx) || !r.Int(read.cy) || !r.Int(read.showCommand) ||
        !r.Int(read.tab1) || !r.Int(read.tab2) || !r.Int(read.tab3))
        return record;
    read.hasPlacement = true;
    record = read;
    if (block.size() <= kPlacementEnd)
        return record;
    if (r.Float(read.a) && r.Float(read.b) && r.Int(read.window1) && r.Int(read.window2) &&
        r.Int(read.voltageMultiplier) && r.Int(read.currentMultiplier)) {
        read.hasStatistics = true;
        record = read;
    }
    return record;
}

} // namespace analysers_vkt
