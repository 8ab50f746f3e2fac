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

// The general settings sheet: the common page, then one page per family
// that registered one. The families register their pages at start-up, so
// that the shell needs none of them.
class CObecneNastaveni : public ui::CPropertySheet {
    Q_OBJECT
public:
    using PageFactory = std::function<std::unique_ptr<CGeneralSettingsFamilyPage>()>;

    // `type`: the family's instrument type (CPristroj::Type); a later
    // registration of the same type replaces the earlier one.
    static void RegisterFamilyPage(int type, PageFactory factory);
    static void UnregisterFamilyPage(int type);

    CObecneNastaveni(const QString& title, const CONSpolecne::Context& context, QWidget* parent = nullptr,
                     int firstPage = 0);

    // Every page loads its values; the common page last.
    void Load();
    // Every family page saves, then the common page applies.
    void Apply();

    CONSpolecne& Spolecne() { return m_spolecne; }
    CGeneralSettingsFamilyPage* FamilyPage(int type) const;

private:
    CONSpolecne::Context m_context;
    CONSpolecne m_spolecne;
    std::vector<std::pair<int, std::unique_ptr<CGeneralSettingsFamilyPage>>> m_families;
};
