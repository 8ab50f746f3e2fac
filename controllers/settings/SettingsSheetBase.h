#pragma once

#include "controllers/settings/SettingsReport.h"
#include "platform/ui/PropertySheet.h"

#include <QDateTime>

#include <functional>

class QPushButton;

namespace controllers {

// The head of a printed settings report: `title` and the local time of
// printing, then an empty line. Tests fix the clock.
CSettingsReport StartSettingsReport(const QString& title);
void SetSettingsPrintClock(std::function<QDateTime()> clock);
// Asks for a printer and prints what `build` gives under `title`; says so
// when it fails.
void PrintSettingsReport(QWidget* parent, const QString& instrumentName, const QString& title,
                         const std::function<CSettingsReport()>& build);

// What every instrument settings sheet has around its pages: the load,
// save and print icon buttons at the left of its button row and their
// context menu, the printed report's head and the print run.
class CSettingsSheetBase : public ui::CPropertySheet {
    Q_OBJECT
public:
    static constexpr int IdLoad = 128;
    static constexpr int IdSave = 129;
    static constexpr int IdPrint = 130;

    struct IconTips {
        QString load;
        QString save;
        QString print;
    };

    CSettingsSheetBase(const QString& title, QWidget* parent, const IconTips& tips);

    // True when the user chose a file (the families say whether it was read).
    virtual bool OnLoad() = 0;
    virtual void OnSave() = 0;
    virtual void OnPrint() = 0;

    static void SetPrintClock(std::function<QDateTime()> clock) { SetSettingsPrintClock(std::move(clock)); }

protected:
    // The icon buttons sit in the row of `reference`, `extra` pixels taller than it.
    void SetIconButtonsBeside(int reference, int extra)
    {
        m_reference = reference;
        m_extra = extra;
    }
    // Activates every page once so that all exist, then the active one.
    void CreateAllPages();
    CSettingsReport StartReport() const { return StartSettingsReport(windowTitle()); }
    void PrintReport(const QString& instrumentName, const std::function<CSettingsReport()>& build)
    {
        PrintSettingsReport(this, instrumentName, windowTitle(), build);
    }

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PlaceIconButtons();

    QPushButton* m_load;
    QPushButton* m_save;
    QPushButton* m_print;
    int m_reference = IdOk;
    int m_extra = 0;
};

} // namespace controllers
