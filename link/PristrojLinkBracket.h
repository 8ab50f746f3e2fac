#pragma once

class CPristroj;

// Opens the entry's own link around an instrument dialog when the
// measurement thread does not hold one, and closes it again afterwards.
// Every route to an instrument's settings (the instrument list, the
// floating panel, the live window) goes through it, so an instrument that
// is not measured can still be read and written.
class CPristrojLinkBracket {
public:
    explicit CPristrojLinkBracket(CPristroj& entry);
    ~CPristrojLinkBracket();
    CPristrojLinkBracket(const CPristrojLinkBracket&) = delete;
    CPristrojLinkBracket& operator=(const CPristrojLinkBracket&) = delete;

    bool Opened() const { return m_opened; }

private:
    CPristroj& m_entry;
    bool m_opened = false;
};
