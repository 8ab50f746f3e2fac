#pragma once

#include "analysers_vk/VKRangeBox.h"
#include "model/ScaleCategories.h"
#include "shell/ObecneNastaveni.h"

#include <QString>
#include <QStringList>

#include <memory>

class QCheckBox;
class QVBoxLayout;

namespace platform {
class SettingsSection;
}

namespace analysers_vk {

class CVKQuantityGrid;

// The default graph ranges of the VK and VKR pages: one set in the settings,
// so the two pages of one sheet edit one set. A page takes the set when it
// is activated and gives its edits back when it is left or saved.
struct CVKSharedRanges {
    CScaleCategories categories{2};
    bool loaded = false;

    // The set of the pages alive now; a new one when there are none.
    static std::shared_ptr<CVKSharedRanges> Acquire();
};

// The VK family's page of the general settings sheet: which panes a new
// live window shows, the graph's quantities and colours, and the default
// ranges of the graph's scale categories (shared with the VKR page).
class CONVK : public CGeneralSettingsFamilyPage {
    Q_OBJECT
public:
    static constexpr int kCategories = 7;

    // What differs between the VK and the VKR page.
    struct Family {
        const char* title;
        const char* section;
        bool storesSpinac; // the VKR page shows the box but keeps nothing of it
    };

    explicit CONVK(QWidget* parent = nullptr);
    ~CONVK() override;

    void Load(platform::Settings& settings) override;
    void Save(platform::Settings& settings) override;
    bool OnSetActive() override;
    bool OnKillActive() override;
    void OnOK() override;

    static QString CheckRange(const QString& name, double minimum, double maximum, double low, double high,
                              bool cosine)
    {
        return CVKRangeBox::CheckRange(name, minimum, maximum, low, high, cosine);
    }
    // Checks every row; the first message, empty when all pass.
    QString CheckRanges() const { return m_rangeBox->Check(); }

    CVKQuantityGrid* Grid() const { return m_grid; }
    QLineEdit* Minimum(int category) const { return m_rangeBox->Minimum(category); }
    QLineEdit* Maximum(int category) const { return m_rangeBox->Maximum(category); }
    QCheckBox* Automatic() const { return m_rangeBox->Automatic(); }
    QCheckBox* Pane(int index) const { return m_panes->Pane(index); }

    const CVKSharedRanges& Ranges() const { return *m_ranges; }

protected:
    CONVK(const Family& family, QWidget* parent);

    // The family's own quantities beside the grid (VKR: the line THD).
    virtual void LoadExtra(platform::Settings&, const platform::SettingsSection&) {}
    virtual void SaveExtra(platform::Settings&, const platform::SettingsSection&) {}
    virtual bool AnyExtraShown() const { return false; }
    // The column of the quantity choices: the grid first.
    QVBoxLayout* PageLayout() const { return m_layout; }

private:
    // The shared set into the edits, and the edits (when they pass) back.
    void ShowRanges();
    bool TakeRanges();

    CVKPaneChoice* m_panes = nullptr;
    QCheckBox* m_odbDod = nullptr;
    QCheckBox* m_spinac = nullptr;
    CVKQuantityGrid* m_grid = nullptr;
    CVKRangeBox* m_rangeBox = nullptr;
    QVBoxLayout* m_layout = nullptr;
    Family m_family;
    std::shared_ptr<CVKSharedRanges> m_ranges;
    // The edits as the page last showed them: a page gives back only what
    // was changed on it.
    QStringList m_shownRanges;
};

} // namespace analysers_vk
