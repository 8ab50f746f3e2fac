#pragma once

#include "platform/ui/PropertySheet.h"
#include "shell/ONSpolecne.h"

#include <functional>
#include <memory>
#include <vector>

// A page of an instrument family on the general settings sheet: its display
// defaults, loaded before the sheet runs and saved after OK.
class CGeneralSettingsFamilyPage : public ui::CPropertyPage {
    Q_OBJECT
public:
    using ui::CPropertyPage::CPropertyPage;
    virtual void Load(platform::Settings& settings) = 0;
    virtual void Save(platform::Settings& settings) = 0;
};

class CFamilyList;

// The general settings sheet: the common page, then the page of each family
// that has one.
class CObecneNastaveni : public ui::CPropertySheet {
    Q_OBJECT
public:
    // The sheet's size in dialog units, with its tabs and buttons.
    static constexpr int kWidthDlu = 424;
    static constexpr int kHeightDlu = 384;

    // Without `families` the sheet has the common page only.
    CObecneNastaveni(const QString& title, const CONSpolecne::Context& context, QWidget* parent = nullptr,
                     int firstPage = 0, const CFamilyList* families = nullptr);

    // Every page loads its values; the common page last.
    void Load();
    // Every family page saves, then the common page applies.
    void Apply();

    CONSpolecne& Spolecne() { return m_spolecne; }
    int FamilyPageCount() const { return static_cast<int>(m_families.size()); }

private:
    // The family pages in their save order.
    std::vector<CGeneralSettingsFamilyPage*> SaveOrder() const;

    CONSpolecne::Context m_context;
    CONSpolecne m_spolecne;
    struct FamilyPage {
        int saveOrder;
        std::unique_ptr<CGeneralSettingsFamilyPage> page;
    };
    // In tab order.
    std::vector<FamilyPage> m_families;
};
