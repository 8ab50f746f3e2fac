#pragma once

#include "charts/GraphWnd.h"

#include <QByteArray>
#include <QRect>
#include <QString>

#include <cstdint>
#include <span>
#include <vector>

class CArchivData;
class CGraphPainter;
class CPristroj;
class QPrinter;

namespace analysers_vk {

// The graph of current values of the analysers (VK, VKR, VKT): the chosen
// quantities of the instrument's live records (online) or of an archive
// window (offline) as coloured traces, one value axis per quantity group, a
// time axis and a marker at the newest position. A family brings its table
// of quantities and the few ways its graph differs; layout, drawing,
// printing and both kinds of persistence are the same for all.
class CVKFamilyGrafAktual : public CGraphWnd {
    Q_OBJECT
public:
    struct Quantity {
        const char* name;     // series key, registry value suffix
        int group;            // axis group: 0 U, 1 I, 2 PF and cos, 3 f, 4 T, 5 P/Q/S, 6 THD, 7 u2
        int category;         // scale category of the instrument type
        const char* caption;
        std::uint32_t colour; // COLORREF 0x00BBGGRR
    };

    struct Family {
        std::span<const Quantity> quantities;
        int groupCount;
        // "is" + name defaults to 1 for this many quantities from the first.
        int shownByDefault;
        const char* generalSection;
        // The band under the plot is reserved when bandLines f is less than
        // the height; the title then gives up bandHalfLines f / 2.
        int bandLines;
        int bandHalfLines;
        // On paper the band ends a whole line above the frame, which keeps
        // the lowest row of what the family draws in it clear of the
        // frame; else it ends where it ends on the screen.
        bool printBandToLine;
        // The VKT keeps "offLineZob" after "isSpinac" in the settings and
        // the archive record, and always stores the record's tail.
        bool offLineZob;
        // Offline without a record of the archive's own, the scale
        // categories of "Obecne nastaveni" kept for this instrument type.
        int categoryType;
    };

    struct Layout {
        int f = 0;
        int bold = 0; // height of the bold font
        bool band = false;
        QRect title;
        QRect plot;
        QRect bandRect;
    };
    static Layout LayoutFor(const QRect& client, int logPixelsY, bool reserveBand, int bandLines, int bandHalfLines);
    // Takes the band from the bottom of `layout.title` when bandLines f
    // is less than its height: the title gives up bandHalfLines f / 2 and
    // the band ends `gap` above the old bottom. False (nothing taken) when
    // the title is too low.
    static bool ReserveBand(Layout& layout, int f, int bandLines, int bandHalfLines, int gap);
    // The marker's logical x for a time `elapsed` seconds after the graph's
    // origin on an axis `span` seconds wide.
    static int MarkerPosition(std::int64_t elapsed, int span);
    // The default range of an axis group: U 0..500, I 0..10, PF 0..2,
    // f 40..85, T 0..100, P -4000..4000, THD 0..200, u2 0..10.
    static void GroupRange(int group, float& minimum, float& maximum);

    ~CVKFamilyGrafAktual() override;

    int QuantityCount() const { return int(m_family.quantities.size()); }
    const Quantity& QuantityOf(int index) const;
    QString NameOf(int index) const;

    void AttachOnline(CPristroj& entry);
    void AttachArchive(CArchivData& data);
    bool HasSource() const { return m_data != nullptr; }
    // Lets go of the bound data and its series; called by the owner while
    // the entry or archive still exists (the graph may outlive them).
    void Detach();

    bool GetQuantity(int index, int& shown, std::uint32_t& colour) const;
    int SetQuantity(int index, int shown, std::uint32_t colour);

    // Online from the instrument's settings section (or the family's);
    // offline from the record in the archive first.
    void LoadSettings();
    void SaveSettings();

    // The offline settings record of section 0 of the archive's settings
    // stream: isOdbDod, isSpinac (VKT: offLineZob), colour and shown flag
    // of every quantity, "typ", the scale categories (float count, auto
    // flag, then a block of the floats when there are any), the current
    // group and the grid flag.
    QByteArray ArchiveRecord() const;
    // False (nothing applied) for a record that cannot be read up to its
    // float block; the group and grid flag after the block are taken only
    // when the record holds them (a VKT record must).
    bool ApplyArchiveRecord(const QByteArray& record);
    // Reads and writes the record in the bound archive; false when there
    // is none or it cannot be written.
    bool LoadArchiveSettings();
    bool SaveArchiveSettings();

    // Prints the shown window of the archive: a framed heading, then the
    // graph on the rest of the page. `printer`: one already chosen (PDF,
    // preview); else the user chooses. False when nothing was printed.
    bool Print(QPrinter* printer = nullptr);

    int CurrentGroup() const { return m_currentGroup; }
    int IsOdbDod() const { return m_isOdbDod; }
    void SetOdbDod(int on) { m_isOdbDod = on; }
    int IsSpinac() const { return m_isSpinac; }
    void SetSpinac(int on) { m_isSpinac = on; }
    // Whether the temperature may be shown; a VK asks its identification.
    virtual bool TemperatureAvailable() const { return true; }
    const Layout& CurrentLayout() const { return m_layout; }
    // Lays the window out again (after the band or the quantities changed).
    void CreateFontsNow() { CreateFonts(); }

protected:
    CVKFamilyGrafAktual(const Family& family, QWidget* parent);

    CArchivData* Data() const { return m_data; }
    CPristroj* Entry() const { return m_entry; }
    // GetQuantity for the lists of the views and dialogs: unbound, not
    // shown in its stored colour.
    void ListQuantity(int index, int& shown, std::uint32_t& colour) const;
    int m_offLineZob = 0;

    // Whatever a family draws in the band under the plot.
    virtual void DrawBand(CGraphPainter& painter, const CGraphRect& band) { (void)painter; (void)band; }

    void CreateFonts() override;
    void Draw(QPainter& painter, const QRect& client) override;
    int GetCursorPos(int width) override;
    // Offline: the archive's current record follows the cursor.
    void OnCursorMoved(float perMille) override;

private:
    QString UnitOf(int index) const;
    void DrawGraph(CGraphPainter& painter, const Layout& layout, bool print);
    // Offline: the current record's place on the axis; -1 without one.
    int OfflineMarker() const;
    // The first shown quantity's trace; null when none is shown.
    const CGraphTrace* FirstShownTrace() const;
    // The time window the graph shows, in seconds since 1970: the one its
    // time axis is drawn from. False while the store has chosen none (a
    // live graph before its first measurements).
    bool ShownWindow(std::uint32_t& origin, std::int64_t& span) const;
    QString ArchiveFileName() const;
    // Online: the series take the instrument's newest ratios (range, unit
    // and its prefix) once they changed or a series was added.
    void FollowLiveScales();
    void MarkLiveScalesChanged();

    const Family& m_family;
    CArchivData* m_data = nullptr;
    CPristroj* m_entry = nullptr;
    int m_isOdbDod = 0;
    int m_isSpinac = 1;
    int m_typ = 7;
    std::vector<int> m_shown;
    std::vector<std::uint32_t> m_colours;
    int m_currentGroup = 0;
    Layout m_layout;
};

} // namespace analysers_vk
