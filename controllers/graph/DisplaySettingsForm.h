#pragma once

#include "model/ScaleCategories.h"
#include "platform/ui/FieldRefusal.h"

#include <QColor>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QCheckBox;
class QLineEdit;

namespace platform {
class Settings;
class SettingsSection;
}

namespace controllers {

// The part that the displayed-quantities dialogs and the family pages of
// the general settings share: per quantity a "Zobrazovat" box and a colour
// swatch, the stage and import/export boxes, and the (minimum, maximum)
// edits of the scale categories with the automatic flag. The power factor's
// category (0..2 with 1 = cos 1) is shown signed: displayed minimum =
// -minimum, displayed maximum = 2 - maximum. Controls carry their dialog ids.
class CDisplaySettingsForm : public QWidget {
    Q_OBJECT
public:
    struct Quantity {
        int box;
        int swatch;
        const char* label;
    };
    struct Group {
        int box;
        const char* title;
        std::vector<int> members; // quantity indexes
    };
    struct Range {
        int minEdit, maxEdit;
        const char* label;
        const char* unit;
        int nameId; // string of the row's name in the messages
        float low, high;
        bool cosine; // the power factor's row: signed form and the cosine rule
    };
    struct Spec {
        int type; // instrument type of the categories (1 Qorin, 5 Duskar)
        std::vector<Quantity> quantities;
        std::vector<Group> groups;
        std::vector<Range> ranges;
        int stagesBox;
        const char* stagesText;
        const char* quantitiesTitle;
        const char* rangesTitle;
    };
    static const Spec& QorinSpec(bool page);
    static const Spec& DuskarSpec(bool page);

    // A quantity's values in a family's general section and their defaults.
    struct Defaults {
        QString colourValue; // "barva ..."
        QString shownValue;  // "is..."
        std::uint32_t colour;
        int shown;
    };
    // The quantities in the form's rows.
    static std::vector<Defaults> QorinDefaults();
    static std::vector<Defaults> DuskarDefaults();

    // What the form edits.
    struct Values {
        std::vector<int> shown;
        std::vector<std::uint32_t> colours;
        int stages = 1;
        int importExport = 0;
        CScaleCategories categories;
    };

    CDisplaySettingsForm(const Spec& spec, QWidget* parent = nullptr);

    void SetValues(const Values& values);
    // The boxes and colours; the categories from the edits (valid only after
    // Validate passed).
    Values GetValues() const;
    // The first range row that fails shows its message and takes the focus;
    // false then.
    bool Validate();

    QWidget* Control(int id) const;
    QCheckBox* Box(int index) const { return m_boxes[std::size_t(index)]; }
    std::uint32_t Colour(int index) const { return m_colours[std::size_t(index)]; }
    int GroupState(int group) const { return m_groupStates[std::size_t(group)]; }

    // The colour dialog (tests choose without it): true with a colour.
    using ColourChooser = std::function<bool(QColor& colour, QWidget* parent)>;
    static ColourChooser SetColourChooser(ColourChooser chooser);

    // Categories of a family in a settings section: `prefix` + "PocetKat",
    // "Ketegorie", "Auto"; the type's defaults when none are stored or the
    // floats do not match their count.
    static CScaleCategories ReadCategories(const platform::Settings& settings, const platform::SettingsSection& section,
                                           const QString& prefix, int type);
    // `count` little-endian floats; false when the bytes hold another number.
    static bool ParseFloats(const QByteArray& bytes, int count, std::vector<float>& out);
    static QByteArray FloatBytes(const CScaleCategories& categories);
    static void WriteCategories(platform::Settings& settings, const platform::SettingsSection& section,
                                const QString& prefix, const CScaleCategories& categories);
    // A family's defaults in its general section: the quantities' colours
    // and boxes, the stage bars, import/export and the categories (`prefix`,
    // instrument `type`).
    static Values ReadDefaults(const platform::Settings& settings, const platform::SettingsSection& section,
                               const std::vector<Defaults>& quantities, const QString& prefix, int type);
    static void WriteDefaults(platform::Settings& settings, const platform::SettingsSection& section,
                              const std::vector<Defaults>& quantities, const QString& prefix, const Values& values);

private:
    void PickColour(int index);
    void OnQuantityToggled();
    void OnGroupClicked(int group);
    void UpdateGroups();
    void EnableRanges();
    // A range edit left for another control: the ranges are checked at once.
    void OnRangeLeft(QLineEdit* edit);
    bool eventFilter(QObject* watched, QEvent* event) override;

    const Spec& m_spec;
    std::vector<QCheckBox*> m_boxes;
    std::vector<QWidget*> m_swatches;
    std::vector<std::uint32_t> m_colours;
    std::vector<QCheckBox*> m_groupBoxes;
    std::vector<int> m_groupStates;
    std::vector<QLineEdit*> m_min;
    std::vector<QLineEdit*> m_max;
    std::vector<QWidget*> m_rangeLabels;
    QCheckBox* m_stages = nullptr;
    QCheckBox* m_importExport = nullptr;
    QCheckBox* m_auto = nullptr;
    std::map<int, QWidget*> m_controls;
    ui::CFieldRefusal m_refusal{this};
    bool m_updating = false;
};

} // namespace controllers
