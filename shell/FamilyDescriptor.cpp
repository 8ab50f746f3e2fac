#include "shell/FamilyDescriptor.h"

#include "link/Pristroj.h"

const CFamilyDescriptor* CFamilyList::Find(int type) const
{
    const int index = IndexOf(type);
    return index < 0 ? nullptr : &m_families[static_cast<std::size_t>(index)];
}

int CFamilyList::IndexOf(int type) const
{
    for (std::size_t i = 0; i < m_families.size(); ++i)
        if (m_families[i].type == type)
            return static_cast<int>(i);
    return -1;
}

const CFamilyDescriptor* CFamilyList::ForArchive(const QString& path) const
{
    const CFamilyDescriptor* found = nullptr;
    for (const CFamilyDescriptor& family : m_families)
        if (!family.archiveEnding.isEmpty() && path.endsWith(family.archiveEnding, Qt::CaseInsensitive))
            found = &family;
    return found;
}

bool CFamilyList::CanDownload(int type) const
{
    const CFamilyDescriptor* family = Find(type);
    return family && family->canDownload;
}

bool CFamilyList::UsesBusPorts(int type) const
{
    const CFamilyDescriptor* family = Find(type);
    return !family || family->usesBusPorts;
}

int CFamilyList::TypeOfIdentification(unsigned family, unsigned model) const
{
    for (const CFamilyDescriptor& descriptor : m_families)
        if (descriptor.identifies && descriptor.identifies(family, model))
            return descriptor.type;
    return 0;
}

bool CFamilyList::IsPanelOpen(CPristroj& entry) const
{
    const CFamilyDescriptor* family = Find(entry.GetType());
    return family && family->isPanelOpen && family->isPanelOpen(entry);
}

void CFamilyList::ClosePanel(CPristroj& entry) const
{
    if (const CFamilyDescriptor* family = Find(entry.GetType()); family && family->closePanel)
        family->closePanel(entry);
}

void CFamilyList::UpdatePanel(CPristroj& entry) const
{
    if (const CFamilyDescriptor* family = Find(entry.GetType()); family && family->updatePanel)
        family->updatePanel(entry);
}

void CFamilyList::SetPanelRequestReceiver(QObject* receiver) const
{
    for (const CFamilyDescriptor& family : m_families)
        if (family.setPanelRequestReceiver)
            family.setPanelRequestReceiver(receiver);
}
