#include "controllers/live/ControllerAktMer.h"

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "charts/PanelEventList.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "controllers/live/ControllerDoc.h"
#include "controllers/panel/ControllerPlochaFrm.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "controllers/values/ValuesFeed.h"
#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"
#include "platform/ui/MenuCommand.h"
#include "shell/MavexApp.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace controllers {

namespace {

// The control's dispatch ids.
enum Dispid {
    kPismeno1 = 1,
    kPismeno2 = 2,
    kPismeno3 = 3,
    kTecka = 4,
    kPismeno4 = 5,
    kSvetlo = 6,
    kObnov = 7,
    kSetBlikani = 8,
    kSetAlternativa = 9,
    kSetTyp = 10,
};
enum PanelEvent { kStiskP = 1, kStiskM = 2, kStiskUp = 3, kStiskDown = 4 };

// The panel image and model code of the newest measurement of a store of
// `Store`'s family; false for another store.
template <class Store>
bool NewestImageOf(CArchivData* data, int selector, CControllerPanelImage& image, int& model)
{
    auto* store = dynamic_cast<Store*>(data);
    if (!store)
        return false;
    typename Store::Values values;
    int state = 0;
    store->GetLatestValues(values, state);
    model = values.model;
    image = store->FormatStatusTexts(selector);
    return true;
}

bool NewestImage(CArchivData* data, bool duskar, int selector, CControllerPanelImage& image, int& model)
{
    return duskar ? NewestImageOf<CDuskarArchivData>(data, selector, image, model)
                  : NewestImageOf<CQorinArchivData>(data, selector, image, model);
}

} // namespace

CPanePlaceholder::CPanePlaceholder(const QString& caption, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(caption, this);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setFrameShape(QFrame::StyledPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);
}

CControllerAktMer::CControllerAktMer(bool duskar, QWidget* parent) : CControllerPaneView(duskar, 500, 500, parent)
{
    QString error;
    m_panel = controls::ControlFactory::create(
        duskar ? controls::ControlFactory::DuskarDialog : controls::ControlFactory::QorinDialog, this, &error);
    if (m_panel) {
        connect(m_panel, &controls::CPanelControl::controlEvent, this,
                [this](int id, const QVariantList&) { OnPanelKey(id); });
    } else {
        // Without the control's plugin the window works on without a panel.
        m_panelError = new QLabel(error, this);
        m_panelError->setWordWrap(true);
    }
    ui::CLiveViewState::RelayNewData(*this, [this] { OnNewData(); });
    // The displayed quantities changed: the legend under the values follows.
    connect(m_graph, &CControllerGraphWnd::QuantitiesChanged, this, [this] {
        if (CPristroj* entry = Pristroj())
            FillValues(*entry);
        m_values->update();
    });
    SetMessageHandler(platform::WM_QUANTITIES_CLOSED, [this](std::uintptr_t, std::intptr_t) -> std::intptr_t {
        OnQuantities();
        return 0;
    });
    ResetPanes();
}

CControllerAktMer::~CControllerAktMer()
{
    SaveState();
    // The graph keeps its settings and lets go of the instrument's store.
    m_graph->Detach();
}

CControllerDoc* CControllerAktMer::Document() const
{
    return dynamic_cast<CControllerDoc*>(GetDocument());
}

CPristroj* CControllerAktMer::Pristroj() const
{
    const CControllerDoc* doc = Document();
    return doc ? doc->GetPristroj() : nullptr;
}

void CControllerAktMer::TogglePane(int bit)
{
    switch (bit) {
    case CControllerPaneLayout::kGraphBit: m_isGraf = !m_isGraf; break;
    case CControllerPaneLayout::kValuesBit: m_isData = !m_isData; break;
    case CControllerPaneLayout::kEventsBit:
        m_isAlarm = !m_isAlarm;
        if (m_isAlarm) {
            if (CPristroj* entry = Pristroj())
                m_events->AddEvent(entry->GetArchivData());
        }
        break;
    case CControllerPaneLayout::kPanelBit: m_isNahled = !m_isNahled; break;
    default: return;
    }
    ResetPanes();
}

void CControllerAktMer::SetPanes(int mask)
{
    m_isGraf = (mask & CControllerPaneLayout::kGraphBit) != 0;
    m_isData = (mask & CControllerPaneLayout::kValuesBit) != 0;
    m_isAlarm = (mask & CControllerPaneLayout::kEventsBit) != 0;
    m_isNahled = (mask & CControllerPaneLayout::kPanelBit) != 0;
    ResetPanes();
}

void CControllerAktMer::ResetPanes()
{
    ResetBars();
    BindInstrument();
}

void CControllerAktMer::BindInstrument()
{
    if (CPristroj* entry = Pristroj())
        entry->SetActive(m_isGraf);
}

void CControllerAktMer::LayoutPanes()
{
    TakeExtent();
    const auto rects = CControllerPaneLayout::PaneRects(PaneMask(), m_prickaX, m_prickaY);
    QWidget* panel = m_panel ? static_cast<QWidget*>(m_panel) : m_panelError;
    QWidget* panes[CControllerPaneLayout::kPaneCount] = {m_graph, m_values, m_events, panel};
    for (int i = 0; i < CControllerPaneLayout::kPaneCount; ++i) {
        if (!rects[i].valid) {
            panes[i]->hide();
            continue;
        }
        panes[i]->setGeometry(CControllerPaneLayout::ToPixels(rects[i], m_extent.width(), m_extent.height()));
        panes[i]->show();
    }
}

void CControllerAktMer::OnUpdate(ui::CView* sender, std::intptr_t hint, void* object)
{
    if (hint & CControllerDoc::kHintEntryBound) {
        if (CPristroj* entry = Pristroj())
            m_graph->AttachDevice(*entry);
        RestoreState();
    }
    ui::CView::OnUpdate(sender, hint, object);
}

void CControllerAktMer::OnPanelKey(int id)
{
    if (id == kStiskP) {
        if (CControllerDoc* doc = Document())
            doc->OnSettings(this);
        return;
    }
    CControllerMenu::Key key;
    switch (id) {
    case kStiskM: key = CControllerMenu::kM; break;
    case kStiskUp: key = CControllerMenu::kUp; break;
    case kStiskDown: key = CControllerMenu::kDown; break;
    default: return;
    }
    m_menu = m_duskar ? CControllerMenu::DuskarStep(m_menu, key) : CControllerMenu::QorinStep(m_menu, key);
    OnNewData();
}

void CControllerAktMer::OnNewData()
{
    CPristroj* entry = Pristroj();
    CArchivData* data = entry ? entry->GetArchivData() : nullptr;
    if (!FeedControllerPanel(m_panel, data, m_duskar, m_menu, m_model, m_type))
        return;
    FillValues(*entry);
    if (m_isAlarm)
        m_events->AddEvent(data);
    if (m_panel)
        m_panel->Invoke(kObnov);
    if (!m_initialised)
        m_initialised = true;
    m_graph->OnNewData();
    m_events->update();
    m_values->update();
    // The floating panel follows the live window's data.
    UpdateControllerPanel(*entry);
}

void CControllerAktMer::FillValues(CPristroj& entry)
{
    if (!FeedValues(static_cast<CValuesDlgBase*>(m_values), entry))
        return;
    if (m_duskar)
        static_cast<CDuskarValuesPanel*>(m_values)->SetLegend(*static_cast<CDuskarGraphWnd*>(m_graph));
    else
        static_cast<CQorinHodnotyDlg*>(m_values)->SetLegend(*static_cast<CQuantityGraphWnd*>(m_graph));
}

ui::CLiveViewState::Panes CControllerAktMer::StatePanes()
{
    return {m_isGraf, m_isData, m_isAlarm, m_isNahled, m_prickaX, m_prickaY};
}

void CControllerAktMer::RestoreState()
{
    CPristroj* entry = Pristroj();
    if (!entry)
        return;
    // Each family's general page keeps its own default panels.
    const bool known = m_state.RestorePanes(entry->m_nazev, m_duskar ? "Obecne nastaveni Duskar" : "Obecne nastaveni",
                                            StatePanes());
    ResetPanes();
    if (!known) {
        m_state.RestoreFrame(GetParentFrame(), GetDocument());
        return;
    }
    platform::Settings settings;
    m_prickaX = settings.GetProfileInt(m_state.Section(), QStringLiteral("prickaX"), 500);
    m_prickaY = settings.GetProfileInt(m_state.Section(), QStringLiteral("prickaY"), 500);
    if (m_duskar)
        static_cast<CDuskarValuesPanel*>(m_values)->SelectTab(
            settings.GetProfileInt(m_state.Section(), QStringLiteral("iTab"), 0));
    m_state.RestoreFrame(GetParentFrame(), GetDocument());
    LayoutPanes();
}

void CControllerAktMer::SaveState()
{
    if (!m_state.Save(m_initialised, StatePanes()) || !m_duskar)
        return;
    platform::Settings settings;
    settings.WriteProfileInt(m_state.Section(), QStringLiteral("iTab"),
                             static_cast<CDuskarValuesPanel*>(m_values)->GetSelectedTab());
}

QSize CControllerAktMer::sizeHint() const
{
    QWidget* panel = m_panel ? static_cast<QWidget*>(m_panel) : m_panelError;
    QWidget* const panes[CControllerPaneLayout::kPaneCount] = {m_graph, m_values, m_events, panel};
    return CControllerPaneLayout::FirstSize(PaneMask(), m_prickaX, m_prickaY, panes);
}

void CControllerAktMer::hideEvent(QHideEvent* event)
{
    m_state.RememberFrame(GetParentFrame());
    ui::CView::hideEvent(event);
}

bool CControllerAktMer::GraphZoomAllowed() const
{
    return m_graph && m_graph->CommandsEnabled();
}

bool CControllerAktMer::PrintView(QPrinter* printer)
{
    return m_graph && m_graph->PrintGraph(printer);
}

void CControllerAktMer::FillMenu(QMenu& menu)
{
    auto toggle = [&](int id, const char* text, int bit, int flag) {
        QAction* action
            = ui::WithCommandId(menu.addAction(QString::fromUtf8(text), this, [this, bit] { TogglePane(bit); }), id);
        action->setCheckable(true);
        action->setChecked(flag != 0);
    };
    toggle(32138, "Panel &přístroje", CControllerPaneLayout::kPanelBit, m_isNahled);
    toggle(32139, "Panel &aktuálních dat", CControllerPaneLayout::kValuesBit, m_isData);
    toggle(32140, "Panel &grafu", CControllerPaneLayout::kGraphBit, m_isGraf);
    toggle(32179, "Panel a&larmů a událostí", CControllerPaneLayout::kEventsBit, m_isAlarm);
    menu.addSeparator();
    AddGraphMenuItems(menu, QStringLiteral("Celý graf"));
    ui::WithCommandId(menu.addAction(QStringLiteral("Zobrazené veličiny ..."), this, [this] { OnQuantities(); }), 32181);
    CControllerDoc* doc = Document();
    if (!doc)
        return;
    menu.addSeparator();
    if (CPristroj* entry = Pristroj())
        ui::WithCommandId(
            menu.addAction(QStringLiteral("Plovoucí okno..."), this, [entry] { OpenControllerPanel(*entry); }), 32141);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Nastavení &přístroje..."), this, [doc, this] { doc->OnSettings(this); }), 32136);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Statistika s&pínání..."), this, [doc, this] { doc->OnSwitchStatistics(this); }),
        32211);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Speciální &funkce..."), this, [doc, this] { doc->OnSpecialFunctions(this); }),
        32212);
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Otevřít aktuální soubor"), this, [doc] { doc->OnOpenCurrentFile(); }), 32232)
        ->setEnabled(doc->OpenCurrentFileEnabled());
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevřít předchozí soubor"), this,
                          [doc, this] { doc->OnOpenPreviousFile(this); }),
        32236);
    ui::WithCommandId(menu.addAction(QStringLiteral("Otevři soubor dle přístroje ..."), this,
                          [doc, this] { doc->OnOpenByInstrument(this); }),
        32227)
        ->setEnabled(CMavexApp::OpenByInstrumentEnabled());
    ui::WithCommandId(
        menu.addAction(QStringLiteral("Informace o přístroji"), this, [doc, this] { doc->OnInfo(this); }), 40029);
    ui::WithCommandId(menu.addAction(QStringLiteral("&Nezobrazovat\tCtrl+Z"), this, [doc] { doc->OnHide(); }), 32137);
}

void CControllerAktMer::OnQuantities()
{
    // On OK the graph takes the choice and says so: the values follow.
    m_graph->EditQuantities();
    m_graph->Redraw();
}

bool FeedControllerPanel(controls::CPanelControl* panel, CArchivData* data, bool duskar, int menu, int& cached,
                         int& type)
{
    CControllerPanelImage image;
    int model = 0;
    if (!NewestImage(data, duskar, menu, image, model))
        return false;
    if (model != cached) {
        cached = model;
        // One rule for the live window and the floating panel.
        type = duskar ? CControllerPanelRules::DuskarType(model) : CControllerPanelRules::QorinType(model);
        if (panel) {
            panel->Invoke(kSetTyp, {type});
            panel->update();
        }
    }
    if (!panel)
        return true;
    panel->Invoke(kSetBlikani, {(image.result & 1) != 0, (image.result & 2) != 0, (image.result & 4) != 0});
    panel->Invoke(kPismeno1, {int(image.cells[0])});
    panel->Invoke(kPismeno2, {int(image.cells[1])});
    panel->Invoke(kPismeno3, {int(image.cells[2])});
    panel->Invoke(kPismeno4, {int(image.cells[3])});
    panel->Invoke(kTecka, {image.decimals != 0});
    panel->Invoke(kSvetlo, {qlonglong(image.lamps)});
    const CControllerPanelRules::Alternative alt =
        duskar ? CControllerPanelRules::Alternative{} : CControllerPanelRules::QorinAlternative(menu);
    panel->Invoke(kSetAlternativa, {alt.on, alt.c1, alt.c2, alt.c3, alt.c4});
    return true;
}

void AddQorinLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(ui::MakeDocTemplate<CQorin01Doc, ui::CChildFrame, CAktMer>(182, CQorin01Doc::DocString()));
}

void AddDuskarLiveTemplate(ui::CDocManager& manager)
{
    manager.AddTemplate(
        ui::MakeDocTemplate<CDuskarDoc, ui::CChildFrame, CDuskarAktMer>(316, CDuskarDoc::DocString()));
}

ui::CView* OpenControllerLive(ui::CDocManager& manager, CPristroj& entry)
{
    const bool duskar = entry.GetType() == CPristroj::kDuskar;
    return ui::OpenLiveDocument<CControllerDoc>(
        manager, duskar ? QStringLiteral("Duskar.Document") : QStringLiteral("Qorin01.Document"), entry);
}

} // namespace controllers
