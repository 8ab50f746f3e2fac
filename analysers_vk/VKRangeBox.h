#pragma once

#include "platform/ui/FieldRefusal.h"

#include <QGroupBox>
#include <QStringList>

#include <vector>

class CScaleCategories;
class QCheckBox;
class QLineEdit;
class QVBoxLayout;

namespace platform {
class Settings;
class SettingsSection;
}

namespace analysers_vk {

// One scale category of the default graph ranges: its label and unit, its
// name in the messages, and the bounds its limits must keep.
struct VKRangeRow {
    const char* label;
    const char* unit;
    const char* name;
    double low, high;
};

// The scale categories the VK family's analysers share: U, I, cos / PF, f,
// P / Q / S, THD and T.
std::vector<VKRangeRow> VKRangeRows();

// The default graph ranges on an analyser family's general settings page:
// the lower and upper limit of each scale category and "Určit rozsah
// automaticky", which disables the limits.
class CVKRangeBox : public QGroupBox {
    Q_OBJECT
public:
    CVKRangeBox(const QString& title, std::vector<VKRangeRow> rows, QWidget* parent);

    void Show(const CScaleCategories& categories);
    // The limits into `categories`; they must have passed Check.
    void Take(CScaleCategories& categories) const;
    // The first message of the rows, empty when all pass.
    QString Check() const;
    // The edits as they stand, to see whether anything was changed.
    QStringList Texts() const;

    // The message for a row, empty when it passes: the lower limit, the
    // upper limit, then (power factor) the cosine rule or (others) the
    // order of the two limits.
    static QString CheckRange(const QString& name, double minimum, double maximum, double low, double high,
                              bool cosine);

    QLineEdit* Minimum(int category) const { return m_min[std::size_t(category)]; }
    QLineEdit* Maximum(int category) const { return m_max[std::size_t(category)]; }
    QCheckBox* Automatic() const { return m_auto; }

    // The first failing row's message and the box the user is sent back
    // to; empty when all pass.
    QString Check(QLineEdit*& focus) const;
    // True when all rows pass; otherwise the message is said and the focus
    // goes back to the box at fault.
    bool Accepts();

private:
    void EnableRanges();
    // A limit box left for another control: its rows are checked at once,
    // and a refused one takes the focus back with the message.
    void LimitLeft(QLineEdit* edit);

    std::vector<VKRangeRow> m_rows;
    std::vector<QLineEdit*> m_min;
    std::vector<QLineEdit*> m_max;
    std::vector<QWidget*> m_labels;
    QCheckBox* m_auto = nullptr;
    ui::CFieldRefusal m_refusal{this};
};

// "Zobrazit:": the panes a new live window of the family shows.
class CVKPaneChoice : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kPanes = 4;

    explicit CVKPaneChoice(QWidget* parent);

    void Load(const platform::Settings& settings, const platform::SettingsSection& section);
    void Save(platform::Settings& settings, const platform::SettingsSection& section) const;
    QCheckBox* Pane(int index) const { return m_panes[std::size_t(index)]; }

private:
    std::vector<QCheckBox*> m_panes;
};

// A family page of the general settings sheet: the panes along the top and,
// below them, the column of quantity choices (returned, for the page to
// fill) with the ranges beside it, so that the page is as tall as its longer
// column, not as all its parts one under another.
QVBoxLayout* LayOutFamilyPage(QWidget* page, CVKPaneChoice* panes, CVKRangeBox* ranges);

} // namespace analysers_vk
