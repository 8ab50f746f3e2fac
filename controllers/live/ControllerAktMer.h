#pragma once

#include "controllers/live/ControllerPaneView.h"
#include "platform/ui/Document.h"
#include "platform/ui/LiveViewState.h"

class CArchivData;
class CPristroj;
class QLabel;
class QMenu;

namespace controls {
class CPanelControl;
}

namespace ui {
class CDocManager;
}

namespace controllers {

class CControllerDoc;

// Stands in a pane whose window is not built into the controller windows
// yet (the values pane, the graph): a framed caption.
class CPanePlaceholder : public QWidget {
public:
    CPanePlaceholder(const QString& caption, QWidget* parent);
    QLabel* Label() const { return m_label; }

private:
    QLabel* m_label;
};

// The live window of a connected controller: the front panel, the values,
// the graph and the event list tiled by the pane mask with two draggable
// bars; every new measurement relayed by the application is shown at once,
// and the panes and placement are kept per instrument in the settings.
class CControllerAktMer : public CControllerPaneView {
    Q_OBJECT
public:
    CControllerAktMer(bool duskar, QWidget* parent);
    ~CControllerAktMer() override;

    CControllerDoc* Document() const;
    CPristroj* Pristroj() const;

    int PaneMask() const override { return CControllerPaneLayout::Mask(m_isGraf, m_isData, m_isAlarm, m_isNahled); }
    void TogglePane(int bit);
    // Shows the panes of a mask (CControllerPaneLayout::Bit).
    void SetPanes(int mask);
    void ResetPanes();
    void LayoutPanes() override;
    QSize ScrollSize() const { return m_scrollSize; }
    QSize sizeHint() const override;
    int MenuPosition() const { return m_menu; }
    int PanelType() const { return m_type; }
    bool Initialised() const { return m_initialised; }

    controls::CPanelControl* PanelControl() const { return m_panel; }
    QLabel* PanelError() const { return m_panelError; }

    void OnUpdate(ui::CView* sender, std::intptr_t hint, void* object) override;
    // The new-measurement road (WM_NEW_DATA).
    void OnNewData();
    // A key of the front panel (1 P, 2 M, 3 Up, 4 Down).
    void OnPanelKey(int id);
    void RestoreState();
    void SaveState();
    void FillMenu(QMenu& menu) override;
    // The graph, as its own print command prints it.
    bool PrintView(QPrinter* printer) override;
    bool CanPrint() const override { return true; }

protected:
    bool GraphZoomAllowed() const override;
    void hideEvent(QHideEvent* event) override;

private:
    void BindInstrument();
    // "Zobrazené veličiny" from the menu or the closed quantities pane.
    void OnQuantities();
    void FillValues(CPristroj& entry);
    ui::CLiveViewState::Panes StatePanes();

    controls::CPanelControl* m_panel = nullptr;
    QLabel* m_panelError = nullptr;
    int m_menu = 1;
    int m_isNahled = 0;
    int m_isData = 1;
    int m_isGraf = 1;
    int m_isAlarm = 1;
    bool m_initialised = false;
    int m_model = -1;
    int m_type = -1;
    ui::CLiveViewState m_state;
};

class CAktMer : public CControllerAktMer {
    Q_OBJECT
public:
    explicit CAktMer(QWidget* parent = nullptr) : CControllerAktMer(false, parent) {}
};

class CDuskarAktMer : public CControllerAktMer {
    Q_OBJECT
public:
    explicit CDuskarAktMer(QWidget* parent = nullptr) : CControllerAktMer(true, parent) {}
};

// Shows the newest measurement of the entry's store on a front-panel control
// at the menu position; the panel type follows the model code (cached in
// `model`, -1 at first). False before the first measurement.
bool FeedControllerPanel(controls::CPanelControl* panel, CArchivData* data, bool duskar, int menu, int& model,
                         int& type);

// The live-window templates of the two families (182 Qorin, 316 Duskar).
void AddQorinLiveTemplate(ui::CDocManager& manager);
void AddDuskarLiveTemplate(ui::CDocManager& manager);
// Opens the live window of the entry and binds it; its view, or null when
// the template is missing.
ui::CView* OpenControllerLive(ui::CDocManager& manager, CPristroj& entry);

} // namespace controllers
