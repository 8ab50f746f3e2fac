#pragma once

#include "model/PrevodTyp.h"

#include <array>

// Two 32-byte texts of a VKT analyser (code page 1250, unterminated when
// full); the second is the name of the recording (64-byte image).
class CVKTNoteBook : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKTNoteBook)
public:
    static constexpr int kTextSize = 32;
    static constexpr int kImageSize = 2 * kTextSize;
    using Text = std::array<BYTE, kTextSize>;

    CVKTNoteBook() = default;
    CVKTNoteBook(const CVKTNoteBook&) = default;
    CVKTNoteBook& operator=(const CVKTNoteBook&) = default;
    ~CVKTNoteBook() override = default;

    void Serialize(SerialArchive& ar) override;

    void FromRaw(const BYTE* image);
    void ToRaw(BYTE* image) const;

    const Text& GetText1() const { return m_text1; }
    Text& GetText1() { return m_text1; }
    // The recording's name.
    const Text& GetText2() const { return m_text2; }
    Text& GetText2() { return m_text2; }

private:
    Text m_text1{};
    Text m_text2{};
};
