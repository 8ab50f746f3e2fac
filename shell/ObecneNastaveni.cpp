#include "shell/ObecneNastaveni.h"

#include "platform/ui/DialogUnits.h"
#include "shell/FamilyDescriptor.h"

#include <QLayout>

#include <algorithm>

CObecneNastaveni::CObecneNastaveni(const QString& title, const CONSpolecne::Context& context, QWidget* parent,
                                   int firstPage, const CFamilyList* families)
    : ui::CPropertySheet(title, parent), m_context(context), m_spolecne(context)
{
    AddPage(&m_spolecne);
    std::vector<const CFamilyDescriptor*> withPages;
    if (families)
        for (const CFamilyDescriptor& family : families->All())
            if (family.generalSettingsPage)
                withPages.push_back(&family);
    std::stable_sort(withPages.begin(), withPages.end(), [](const auto* a, const auto* b) {
        return a->settingsTabOrder < b->settingsTabOrder;
    });
    for (const CFamilyDescriptor* family : withPages)
        if (auto page = family->generalSettingsPage()) {
            AddPage(page.get());
            m_families.push_back({family->settingsSaveOrder, std::move(page)});
        }
    SetActivePage(firstPage);
    // The sheet is as large as its dialog units make it, the family pages
    // laid out to fit; only a font that needs more room makes it larger.
    layout()->activate();
    resize(ui::DluToPixels(QSize(kWidthDlu, kHeightDlu), font()).expandedTo(minimumSizeHint()));
}

std::vector<CGeneralSettingsFamilyPage*> CObecneNastaveni::SaveOrder() const
{
    std::vector<const FamilyPage*> sorted;
    for (const FamilyPage& page : m_families)
        sorted.push_back(&page);
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto* a, const auto* b) { return a->saveOrder < b->saveOrder; });
    std::vector<CGeneralSettingsFamilyPage*> pages;
    for (const FamilyPage* page : sorted)
        pages.push_back(page->page.get());
    return pages;
}

void CObecneNastaveni::Load()
{
    for (CGeneralSettingsFamilyPage* page : SaveOrder())
        page->Load(m_context.settings);
    m_spolecne.Load();
}

void CObecneNastaveni::Apply()
{
    for (CGeneralSettingsFamilyPage* page : SaveOrder())
        page->Save(m_context.settings);
    m_spolecne.Apply();
}
