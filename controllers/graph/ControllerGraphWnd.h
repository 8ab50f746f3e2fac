#pragma once

#include "charts/GraphWnd.h"
#include "model/ScaleCategories.h"

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>

class CArchivData;
class CPristroj;
class QPrinter;

namespace platform {
class Settings;
class SettingsSection;
}

namespace charts {
class CReportPrinter;
}

namespace controllers {

// What the two controller graphs (Qorin quantity graph, Duskar trend graph)
// share: the binding to a live instrument or an archive file, the options
// kept with the curves (import/export, the stage bars, the grid quantity and
// the store's graph type word), the layout with the stage panel under the
// plot, the frame and the printing frame.
//
// Use: construct, then AttachDevice (live window) or AttachArchive (archive
// window). A live graph draws what the instrument's store publishes; the
// host calls OnNewData after each new measurement. An archive graph draws the
// window the archive document loaded into the store's series
// (CArchivData::LoadWindowGraphs); the host calls Redraw after it moved.
// Before the store goes away the host calls Detach, which saves the settings
// (registry for a live graph, the archive's graph block for an archive
// graph) and lets go of the store.
class CControllerGraphWnd : public CGraphWnd {
    Q_OBJECT
public:
    // The type word a store starts with ("typ").
    static constexpr int kInitialType = 7;

    // The layout of a graph in `client` (already shrunk by one pixel) with a
    // text height `f` of 9 points; the stage panel takes `stageLines` text
    // heights when the client is higher than `minLines` of them.
    struct Layout {
        int fontHeight = 0; // the normal font's height
        int boldHeight = 0;
        bool stages = false;
        QRect title;
        QRect stagePanel; // valid only with stages
        QRect plot;
    };
    static Layout ComputeLayout(const QRect& client, int f, bool wantStages, bool compactStages);

    ~CControllerGraphWnd() override;

    void AttachDevice(CPristroj& entry);
    void AttachArchive(CArchivData& data);
    // Saves the settings, then lets go of the store (its series stay).
    void Detach();
    bool HasSource() const { return m_data != nullptr; }
    CArchivData* ArchivData() const { return m_data; }
    CPristroj* Pristroj() const { return m_entry; }

    // "isOdbDod": currents and powers shown signed.
    int ImportExport() const { return m_importExport; }
    void SetImportExport(int on) { m_importExport = on ? 1 : 0; }
    // "isSpinac": the stage panel is wanted; StagesShown: it fits.
    void SetShowStages(int on);
    int GetShowStages() const { return m_showStages; }
    bool StagesShown() const { return m_layout.stages; }
    // "Aktualni Velicina": the axis group whose axis draws the grid.
    // A click on a value axis with the grid on chooses it.
    int GridQuantity() const { return int(SelectedColumn()); }
    void SetGridQuantity(int quantity) { SetSelectedColumn(std::uint32_t(quantity)); }
    int GraphType() const { return m_type; }
    const Layout& CurrentLayout() const { return m_layout; }

    // A new live measurement reached the store.
    void OnNewData();
    // After the displayed-quantities dialog: a live graph saves and takes
    // its series again, every graph lays out and redraws, and the hosts
    // hear of it (legends; an archive view loads its window again).
    void SettingsChanged();
    // The graph's context menu commands (zooms, grid, displayed quantities).
    void OnCommand(int id);
    // Off while an archive window's range is being edited: the zooms of
    // the context menu are disabled and ignored.
    void SetCommandsEnabled(bool on) { m_commandsEnabled = on; }
    bool CommandsEnabled() const { return m_commandsEnabled; }
    // Opens the family's displayed-quantities dialog; true after OK.
    virtual bool EditQuantities() = 0;
    // The curves in the rows of that dialog: the effective state (shown
    // while its series exists) and colour; false without a store.
    virtual int FormCurveCount() const = 0;
    virtual bool GetFormCurve(int i, int& shown, std::uint32_t& colour) const = 0;

    // The settings at binding: an archive graph's block, else the
    // instrument's section under "pristroje" (written "init" once), else the
    // family's general section.
    void LoadSettings();
    // Settings of a live graph in the instrument's section.
    void SaveSettings();
    // The graph block of an archive graph in section 0 of "nastaveni".
    bool SaveToArchive();

    // Prints the graph of the archive window through a report printer;
    // `printer` a chosen printer (PDF, preview), else the chooser asks. False
    // when nothing was printed.
    bool PrintGraph(QPrinter* printer = nullptr);

signals:
    // The user placed the time cursor (archive graphs): the host moves the
    // archive's current record there.
    void CursorMoved(float perMille);
    // The curves, colours or options changed.
    void QuantitiesChanged();

protected:
    // What tells the families' settings apart.
    struct Family {
        int instrumentType;       // of the scale categories: 1 Qorin, 5 Duskar
        const char* general;      // the general section of the defaults
        const char* prefix;       // of the categories there ("qorin", "duskar")
        bool liveTakesGeneralCategories;
        bool blockShownFirst;     // the block's pairs are (shown, colour)
        bool blockNeedsGrid;      // a block is whole only with the grid words
        int gridQuantityMax;      // the stored grid quantity clamped to it; -1 no clamp
    };
    // A curve in the order of the settings, the archive block, the traces
    // and the legend: its series, its settings values and their defaults.
    struct StoredCurve {
        QString series;
        QString colourValue; // "barva ..."
        QString shownValue;  // "is..."
        std::uint32_t colour;
        int shown;
    };

    CControllerGraphWnd(const Family& family, QWidget* parent);

    // Family parts.
    virtual bool CompactStages() const = 0;
    virtual int StoredCurveCount() const = 0;
    virtual StoredCurve StoredCurveAt(int i) const = 0;
    // The family's show operation for stored curve i.
    virtual void ShowStoredCurve(int i, int shown, std::uint32_t colour) = 0;
    // Its visible flag and the colour the graph keeps for it.
    virtual bool StoredCurveVisible(int i) const = 0;
    virtual std::uint32_t StoredCurveColour(int i) const = 0;

    // The series of a visible curve, else null.
    const CGraphTrace* StoredCurveTrace(int i) const;
    // The effective state: shown while its series exists, in the series'
    // colour; else hidden in the kept colour.
    void StoredCurveState(int i, int& shown, std::uint32_t& colour) const;
    // The block of the archive's graph settings.
    QByteArray WriteBlock() const;
    // Applies a block read from the archive; true when it was whole.
    bool ApplyBlock(const QByteArray& block);
    // The curves with a series: name and colour, in drawing order.
    std::vector<std::pair<QString, std::uint32_t>> Legend() const;
    // The value axes from the plot's left edge (the grid reaching
    // `gridRight`); returns the plot rectangle right of them and the trace
    // of the last axis (null with no curve shown). `print`: the grid quantity
    // is corrected for this drawing only.
    virtual CGraphRect DrawAxes(CGraphPainter& painter, CGraphRect plot, int gridRight, bool print,
                                const CGraphTrace*& last) = 0;
    // The traces of the shown curves under the painter's viewport.
    void DrawTraces(CGraphPainter& painter);
    // Before a live paint: the store rescales its series for the options.
    virtual void RescaleLive() {}
    // Legend entries in the series colour as text (else a swatch beside).
    virtual bool LegendAsColouredText() const { return false; }
    // The printed legend's text of stored curve i: its series name unless
    // the family has a text for people.
    virtual QString LegendText(int i, const CGraphTrace& trace) const;

    void PrepareContextMenu(QMenu& menu) override;
    void CreateFonts() override;
    void Draw(QPainter& painter, const QRect& client) override;
    void OnCursorMoved(float perMille) override;
    int GetCursorPos(int width) override;

    // The stage panel between the plot's left and right.
    void DrawStagePanel(CGraphPainter& painter, const QRect& panel, const CGraphRect& plot);
    // The marker's logical x (0..30000): the archive's current record, or
    // the live progress of the graph's time axis.
    int MarkerPosition() const;
    // The categories of a live graph's store or the bound archive's.
    CScaleCategories& Categories() const;
    // Scale categories from settings: `prefix` + "PocetKat", "Ketegorie",
    // "Auto". A blob that does not match its count is ignored: in the
    // instrument's section nothing changes (false), in the general section
    // (`defaults`) the family's defaults are taken.
    bool LoadCategories(const platform::Settings& settings, const platform::SettingsSection& section,
                        const QString& prefix, bool defaults);
    void SaveCategories(platform::Settings& settings, const platform::SettingsSection& section) const;
    // Reads the archive's graph block, applies it; true when it was whole.
    bool LoadFromArchive();
    // The grid quantity moved to an axis that is shown (-1: none is).
    virtual int CorrectGridQuantity(int quantity) const = 0;
    // The instrument's section under "pristroje"; empty for an archive graph
    // whose file names no instrument.
    QString SectionName() const;

    void DrawGraph(CGraphPainter& painter, const QRect& client, bool print);
    // The time axis even without a curve: a trace of the store's time base.
    void DrawTimeAxis(CGraphPainter& painter, const CGraphTrace* last, CGraphRect& plot);
    // The x (0..30000) of the newest record, -1 when none is known.
    int NewestPosition() const;

    int StoredGridQuantity(int quantity) const;
    // The curves, options and categories of a settings section.
    void LoadCurves(const platform::Settings& settings, const platform::SettingsSection& section);

    Family m_family;
    int m_instrumentType;
    CArchivData* m_data = nullptr;
    CPristroj* m_entry = nullptr;
    int m_importExport = 0;
    int m_showStages = 1;
    int m_type = kInitialType;
    bool m_commandsEnabled = true;
    QString m_archiveInstrument; // the name at the head of the archive's settings
    Layout m_layout;
};

} // namespace controllers
