#include "model/VKNoteBook.h"

#include "platform/Cp1250.h"

#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKNoteBook, &CPrevodTyp::classCPrevodTyp, 1)

namespace {

// Header block: 32 name bytes, 10 and 22 bytes, four dwords, a word, two
// groups of four words, a dword and 26 bytes.
constexpr int kDwords = 64;
constexpr int kWord = 80;
constexpr int kWordsA = 82;
constexpr int kWordsB = 90;
constexpr int kLastDword = 98;
constexpr int kTail = 102;

// Text of a slot: up to its first zero byte, at most the whole slot.
QString SlotText(const BYTE* slot, int size)
{
    const void* zero = std::memchr(slot, 0, std::size_t(size));
    const int length = zero ? int(static_cast<const BYTE*>(zero) - slot) : size;
    return platform::FromCp1250(reinterpret_cast<const char*>(slot), length);
}

// A text into a slot of size bytes: at most limit bytes of it, then zeros.
void PutSlotText(BYTE* slot, int size, int limit, const QString& text)
{
    const QByteArray bytes = platform::ToCp1250(text);
    const int n = int(bytes.size() < limit ? bytes.size() : limit);
    std::memset(slot, 0, std::size_t(size));
    std::memcpy(slot, bytes.constData(), std::size_t(n));
}

} // namespace

void CVKNoteBook::Serialize(SerialArchive& ar)
{
    // The dwords and words are kept as the instrument's bytes; written as
    // little-endian host values they keep that byte order in the file too,
    // so the header travels as byte slices in the stored order.
    const auto slice = [&](int offset, int size) {
        if (ar.GetMode() & 1)
            ar.ReadExact(m_header + offset, size);
        else
            ar.Write(m_header + offset, size);
    };
    slice(0, 64); // name, 10 and 22 bytes
    slice(kWord, 2);
    for (int k = 0; k < 4; ++k) {
        slice(kDwords + 4 * k, 4);
        slice(kWordsA + 2 * k, 2);
        slice(kWordsB + 2 * k, 2);
    }
    slice(kLastDword, 4);
    slice(kTail, kPageSize - kTail);
    for (QString& line : m_lines) {
        if (ar.GetMode() & 1)
            ar >> line;
        else
            ar << line;
    }
}

BOOL CVKNoteBook::FromRawPage(int n, const BYTE* image)
{
    if (n == 0) {
        std::memcpy(m_header, image, kPageSize);
        return TRUE;
    }
    if (n < 1 || n >= kPageCount)
        return FALSE;
    for (int j = 0; j < 4; ++j)
        m_lines[4 * (n - 1) + j] = SlotText(image + j * kLineBytes, kLineBytes);
    return TRUE;
}

BOOL CVKNoteBook::ToRawPage(int n, BYTE* image) const
{
    if (n == 0) {
        std::memcpy(image, m_header, kPageSize);
        return TRUE;
    }
    if (n < 1 || n >= kPageCount)
        return FALSE;
    for (int j = 0; j < 4; ++j)
        PutSlotText(image + j * kLineBytes, kLineBytes, kLineBytes, m_lines[4 * (n - 1) + j]);
    return TRUE;
}

QString CVKNoteBook::GetRecordName() const
{
    return SlotText(m_header, kNameBytes + 1);
}

void CVKNoteBook::SetRecordName(const QString& name)
{
    PutSlotText(m_header, kNameBytes + 1, kNameBytes, name);
}

QString CVKNoteBook::GetLine(int i) const
{
    return i >= 0 && i < kLineCount ? m_lines[i] : QString();
}

void CVKNoteBook::SetLine(int i, const QString& text)
{
    if (i >= 0 && i < kLineCount)
        m_lines[i] = text;
}
