#include "shell/ObecneNastaveni.h"

#include "link/Pristroj.h"

#include <map>

namespace {

// Tabs after the common page, and the order in which the pages load and save.
const int kTabOrder[] = {CPristroj::kQorin, CPristroj::kDuskar, CPristroj::kVK, CPristroj::kVKT, CPristroj::kVKR};
const int kLoadOrder[] = {CPristroj::kVKR, CPristroj::kVK, CPristroj::kVKT, CPristroj::kQorin, CPristroj::kDuskar};

std::map<int, CObecneNastaveni::PageFactory>& Factories()
{
    static std::map<int, CObecneNastaveni::PageFactory> factories;
    return factories;
}

} // namespace

void CObecneNastaveni::RegisterFamilyPage(int type, PageFactory factory)
{
    Factories()[type] = std::move(factory);
}

void CObecneNastaveni::UnregisterFamilyPage(int type)
{
    Factories().erase(type);
}

CObecneNastaveni::CObecneNastaveni(const QString& title, const CONSpolecne::Context& context, QWidget* parent,
                                   int firstPage)
    : ui::CPropertySheet(title, parent), m_context(context), m_spolecne(context)
{
    AddPage(&m_spolecne);
    for (int type : kTabOrder) {
        const auto it = Factories().find(type);
        if (it == Factories().end() || !it->second)
            continue;
        if (auto page = it->second()) {
            AddPage(page.get());
            m_families.emplace_back(type, std::move(page));
        }
    }
    SetActivePage(firstPage);
}

CGeneralSettingsFamilyPage* CObecneNastaveni::FamilyPage(int type) const
{
    for (const auto& [t, page] : m_families)
        if (t == type)
            return page.get();
    return nullptr;
}

void CObecneNastaveni::Load()
{
    for (int type : kLoadOrder)
        if (CGeneralSettingsFamilyPage* page = FamilyPage(type))
            page->Load(m_context.settings);
    m_spolecne.Load();
}

void CObecneNastaveni::Apply()
{
    for (int type : kLoadOrder)
        if (CGeneralSettingsFamilyPage* page = FamilyPage(type))
            page->Save(m_context.settings);
    m_spolecne.Apply();
}
