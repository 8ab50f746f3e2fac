#include "link/PristrojLive.h"

#include "archive/store/ArchivData.h"
#include "link/Pristroj.h"

void LiveWindowClosed(CPristroj& entry)
{
    if (entry.m_merit && entry.m_zobrazovat)
        entry.m_zobrazovat = 0;
    entry.SetActive(FALSE);
    if (CArchivData* archive = entry.GetArchivData())
        archive->ClearGraphData();
}
