#include "link/PristrojLinkBracket.h"

#include "link/Pristroj.h"

CPristrojLinkBracket::CPristrojLinkBracket(CPristroj& entry) : m_entry(entry)
{
    // A measured entry's thread keeps the link open; opening it again would
    // take it from under the thread.
    if (entry.m_merit.load() == 0)
        m_opened = entry.OpenLink() != 0;
}

CPristrojLinkBracket::~CPristrojLinkBracket()
{
    if (m_opened)
        m_entry.CloseLink();
}
