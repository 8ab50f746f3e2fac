#include "controllers/graph/GraphBlock.h"

#include <QtEndian>

#include <cstring>

namespace controllers {

namespace {

void PutInt(QByteArray& out, std::uint32_t value)
{
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    out.append(bytes, 4);
}

class BlockReader {
public:
    explicit BlockReader(const QByteArray& data) : m_data(data) {}
    bool Int(std::uint32_t& out)
    {
        if (m_pos + 4 > m_data.size())
            return false;
        out = qFromLittleEndian<quint32>(m_data.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool Int(int& out)
    {
        std::uint32_t v = 0;
        if (!Int(v))
            return false;
        out = int(v);
        return true;
    }
    bool Bytes(char* out, qsizetype size)
    {
        if (size < 0 || m_pos + size > m_data.size())
            return false;
        std::memcpy(out, m_data.constData() + m_pos, std::size_t(size));
        m_pos += size;
        return true;
    }

private:
    const QByteArray& m_data;
    qsizetype m_pos = 0;
};

} // namespace

QByteArray CControllerGraphBlock::Write(bool shownFirst) const
{
    QByteArray out;
    PutInt(out, std::uint32_t(importExport));
    PutInt(out, std::uint32_t(showStages));
    for (const Curve& c : curves) {
        PutInt(out, shownFirst ? std::uint32_t(c.shown) : c.colour);
        PutInt(out, shownFirst ? c.colour : std::uint32_t(c.shown));
    }
    PutInt(out, std::uint32_t(type));
    PutInt(out, std::uint32_t(categories.size()));
    PutInt(out, std::uint32_t(autoFlag));
    if (!categories.empty()) {
        PutInt(out, std::uint32_t(categories.size() * 4));
        for (float f : categories) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, 4);
            PutInt(out, bits);
        }
    }
    PutInt(out, std::uint32_t(gridQuantity));
    PutInt(out, std::uint32_t(grid));
    return out;
}

CControllerGraphBlock CControllerGraphBlock::Read(const QByteArray& block, int curveCount, bool shownFirst)
{
    CControllerGraphBlock b;
    BlockReader r(block);
    if (!r.Int(b.importExport) || !r.Int(b.showStages))
        return b;
    for (int i = 0; i < curveCount; ++i) {
        Curve c;
        const bool ok = shownFirst ? (r.Int(c.shown) && r.Int(c.colour)) : (r.Int(c.colour) && r.Int(c.shown));
        if (!ok)
            return b;
        b.curves.push_back(c);
        b.curvesRead = i + 1;
    }
    int count = 0;
    int autoFlag = 1;
    if (!r.Int(b.type) || !r.Int(count) || !r.Int(autoFlag))
        return b;
    if (count < 0 || count > 64)
        return b; // no family has that many categories: not a block of ours
    std::vector<float> values;
    if (count > 0) {
        int length = 0;
        if (!r.Int(length) || length != count * 4)
            return b;
        values.resize(std::size_t(count));
        if (!r.Bytes(reinterpret_cast<char*>(values.data()), length))
            return b;
        for (float& f : values) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, 4);
            bits = qFromLittleEndian(bits);
            std::memcpy(&f, &bits, 4);
        }
    }
    b.autoFlag = autoFlag;
    b.categories = std::move(values);
    b.complete = true;
    int gridQuantity = 0, grid = 0;
    if (r.Int(gridQuantity) && r.Int(grid)) {
        b.gridQuantity = gridQuantity;
        b.grid = grid;
        b.hasGrid = true;
    }
    return b;
}

} // namespace controllers
