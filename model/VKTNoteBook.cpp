#include "model/VKTNoteBook.h"

#include <cstring>

QORIN_IMPLEMENT_SERIAL(CVKTNoteBook, &CPrevodTyp::classCPrevodTyp, 1)

void CVKTNoteBook::Serialize(SerialArchive& ar)
{
    if (ar.GetMode() & 1) {
        ar.ReadExact(m_text1.data(), kTextSize);
        ar.ReadExact(m_text2.data(), kTextSize);
    } else {
        ar.Write(m_text1.data(), kTextSize);
        ar.Write(m_text2.data(), kTextSize);
    }
}

void CVKTNoteBook::FromRaw(const BYTE* p)
{
    std::memcpy(m_text1.data(), p, kTextSize);
    std::memcpy(m_text2.data(), p + kTextSize, kTextSize);
}

void CVKTNoteBook::ToRaw(BYTE* p) const
{
    std::memcpy(p, m_text1.data(), kTextSize);
    std::memcpy(p + kTextSize, m_text2.data(), kTextSize);
}
