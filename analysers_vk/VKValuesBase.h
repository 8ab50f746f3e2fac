#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

class QLabel;
class QTabBar;
struct CPristrojStatusTexts;

namespace analysers_vk {

// What the VK, VKR and VKT values displays share: value fields by control
// id, places in dialog units, the archive-status fields, and an arrangement
// chosen again whenever the size changes.
class CVKValuesBase : public QWidget {
    Q_OBJECT
public:
    QLabel* Field(int id) const;
    // The text of a value field by its control id; empty for none.
    QString FieldText(int id) const;
    // The archive's ring and status fields, and the newest record's time.
    void SetStatusTexts(const CPristrojStatusTexts& texts);
    // Large enough for the fullest arrangement: a window that gives the
    // display this size shows every group and chart whole.
    QSize sizeHint() const override;

protected:
    // `fullestDlu`: the size in dialog units from which the display takes
    // its fullest arrangement.
    CVKValuesBase(QSize fullestDlu, QWidget* parent);

    void RegisterField(int id, QLabel* label) { m_fields[id] = label; }
    const std::map<int, QLabel*>& Fields() const { return m_fields; }
    void SetField(int id, const QString& text);
    // Where the newest record's time is shown.
    void SetNewestLabel(QLabel* label) { m_newest = label; }
    // The header of the VK and VKR displays: the instrument's name (bold,
    // underlined) and the newest record's time.
    void MakeHeader(QLabel*& name, QLabel*& time);
    QRect Dlu(int x, int y, int w, int h) const;
    // Fills the tab strip with `captions` and places it over `area` (dialog
    // units) with its first tab chosen; no tab change is signalled.
    void FillStrip(QTabBar* bar, const QStringList& captions, const QRect& area);
    // Places the page of the strip's current tab under the strip (`height`
    // pixels tall, `gap` below it) and hides the strip's other pages.
    void ShowCurrentPage(QTabBar* bar, int gap, int height, const std::function<QWidget*(int)>& pageOf, bool raise);

    // Arranges the display for its size; `force` also when the arrangement
    // stays.
    virtual void Layout(bool force) = 0;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::map<int, QLabel*> m_fields;
    QLabel* m_newest = nullptr;
    QSize m_fullestDlu;
};

} // namespace analysers_vk
