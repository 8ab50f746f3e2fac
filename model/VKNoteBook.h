#pragma once

#include "model/PrevodTyp.h"

#include <QString>

// Notebook of a VK analyser: a 128-byte header block that carries the name
// of the instrument's recording, and 28 text lines (notes on the recorded
// quantities in lines 0-13). The instrument exchanges it in 128-byte pages.
class CVKNoteBook : public CPrevodTyp {
    QORIN_DECLARE_SERIAL(CVKNoteBook)
public:
    static constexpr int kPageSize = 128;
    static constexpr int kPageCount = 8;
    static constexpr int kLineCount = 28;
    static constexpr int kLineBytes = 32;
    static constexpr int kNameBytes = 31; // plus the terminating zero

    CVKNoteBook() = default;
    CVKNoteBook(const CVKNoteBook&) = default;
    CVKNoteBook& operator=(const CVKNoteBook&) = default;
    ~CVKNoteBook() override = default;

    void Serialize(SerialArchive& ar) override;

    // Page 0 is the header block, pages 1-7 four lines each. FALSE for a
    // page outside 0-7.
    BOOL FromRawPage(int n, const BYTE* image);
    BOOL ToRawPage(int n, BYTE* image) const;

    QString GetRecordName() const;
    void SetRecordName(const QString& name);
    QString GetLine(int i) const;
    void SetLine(int i, const QString& text);

    const BYTE* GetHeader() const { return m_header; }

private:
    // Kept exactly as the instrument gives it (no byte swapping).
    BYTE m_header[kPageSize] = {};
    QString m_lines[kLineCount];
};
