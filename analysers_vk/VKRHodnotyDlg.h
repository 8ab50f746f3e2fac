#pragma once

#include "analysers_vk/VKValuesBase.h"
#include "archive/store/VKDisplayValues.h"
#include "archive/store/VKRDisplayValues.h"

#include <QColor>

#include <array>
#include <map>

class QLabel;
class QTabBar;
struct CPristrojStatusTexts;

namespace analysers_vk {

// The newest values of a VKR analyser in four groups (voltages and
// currents; THD with the line-voltage row, frequency and temperature;
// powers; record and file), arranged by the size it is given with one tab
// strip, and with the fields the connection does not measure disabled.
class CVKRHodnotyDlg : public CVKValuesBase {
    Q_OBJECT
public:
    enum { kGroupCount = 4 };
    // Ids of the caption that says "2f" or "3f" and of the THDUS row.
    enum { IdPhaseCaption = 1181, IdThdUsCaption = 168, IdFirstThdUs = 165, IdFirstThdUsSwatch = 1152 };

    explicit CVKRHodnotyDlg(QWidget* parent = nullptr);

    // The arrangement for a client size in dialog units (0 to 5).
    static int ChooseState(int widthDlu, int heightDlu, bool compact);
    // Whether the connection type leaves the field of this id enabled.
    static bool FieldEnabled(int id, int connectionType);

    void SetValues(const CVKRValueTexts& texts);
    void SetHeader(const QString& name, const QString& time);
    // The graph colours of the line-voltage THD quantities beside the row.
    void SetSwatch(int index, const QColor& colour, bool shown);
    QColor SwatchColour(int index) const;

    void ResetLayout();
    void SetActiveTab(int tab);
    int GetActiveTab() const;
    // Enables the fields the connection measures; nothing when unchanged.
    void UpdateLabels(int connectionType);
    void SetCompact(bool compact) { m_compact = compact; }

    int State() const { return m_state; }
    int TabMode() const { return m_mode; }
    int ConnectionType() const { return m_connection; }
    QTabBar* Tab() const { return m_tab; }
    QWidget* Group(int index) const { return m_groups[std::size_t(index)]; }
    bool FileFieldsShown() const { return m_fileFields; }

private:
    void BuildGroups();
    void Layout(bool force) override;
    void PlaceTab(int mode, QPoint dlu);
    void ShowTabPage();

    std::array<QWidget*, kGroupCount> m_groups{};
    QTabBar* m_tab = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_time = nullptr;
    std::array<QColor, 3> m_swatchColour{QColor(0xD2, 0xD2, 0xD2), QColor(0xD2, 0xD2, 0xD2),
                                         QColor(0xD2, 0xD2, 0xD2)};
    std::array<bool, 3> m_swatchShown{};
    CValuesDialogCaptions m_captions;
    int m_state = -1;
    int m_mode = -1;
    int m_connection = -1;
    bool m_compact = false;
    bool m_fileFields = true;
};

} // namespace analysers_vk
