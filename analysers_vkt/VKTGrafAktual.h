#pragma once

#include "charts/GraphWnd.h"

#include <QString>

#include <array>
#include <cstdint>

class CArchivData;
class CGraphPainter;
class QPrinter;
class CPristroj;

namespace analysers_vkt {

// The trend graph of the VKT form views: the chosen ones of the 46 VKT
// quantities from the instrument's live records (online) or an archive
// window (offline), one value axis per group, a time axis, the newest
// position marked, and the relays' channel band under the plot.
class CVKTGrafAktual : public CGraphWnd {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 46;
    static constexpr int kGroupCount = 8;

    struct Quantity {
        int group;    // 0 U, 1 I, 2 PF and cos, 3 f, 4 T, 5 P/Q/S, 6 THD, 7 u2
        int category; // scale category of instrument type 4
        const char* caption;
        std::uint32_t colour; // COLORREF 0x00BBGGRR
    };
    static const Quantity& QuantityAt(int index);
    static QString NameAt(int index);
    static void GroupRange(int group, float& minimum, float& maximum);

    struct Layout {
        int f = 0;
        bool band = false;
        QRect title;
        QRect plot;
        QRect bandRect;
    };
    // The band is reserved when asked for and 18 f is less than the client
    // height.
    static Layout ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand);

    explicit CVKTGrafAktual(QWidget* parent = nullptr);
    ~CVKTGrafAktual() override;

    void AttachOnline(CPristroj& entry);
    void AttachArchive(CArchivData& data);
    bool HasSource() const { return m_data != nullptr; }
    void Detach();

    bool GetQuantity(int index, int& shown, std::uint32_t& colour) const;
    int SetQuantity(int index, int shown, std::uint32_t colour);
    // All 46 in index order.
    void GetAllQuantities(std::array<int, kQuantityCount>& shown,
                          std::array<std::uint32_t, kQuantityCount>& colours) const;

    // Online from the instrument's registry section (or the family's);
    // offline from the record in the archive first.
    void LoadSettings();
    void SaveSettings();

    // The graph's record in section 0 of an archive's settings stream: the
    // displays, the 46 colours and switches, the graph choice, the scale
    // categories, the current axis group and the grid. Every field is read;
    // a record cut short changes nothing and gives false.
    QByteArray ArchiveRecord() const;
    bool ApplyArchiveRecord(const QByteArray& record);
    bool LoadArchiveSettings();
    bool SaveArchiveSettings();

    // Prints the shown window: a framed heading, then the graph with its
    // channel band; `printer` for a file, else the user chooses one.
    bool Print(QPrinter* printer = nullptr);

    int CurrentGroup() const { return m_currentGroup; }
    int IsOdbDod() const { return m_isOdbDod; }
    void SetOdbDod(int on) { m_isOdbDod = on; }
    int IsSpinac() const { return m_isSpinac; }
    void SetSpinac(int on) { m_isSpinac = on; }
    int OffLineZob() const { return m_offLineZob; }
    void SetOffLineZob(int value) { m_offLineZob = value; }
    const Layout& CurrentLayout() const { return m_layout; }
    void CreateFontsNow() { CreateFonts(); }

protected:
    void CreateFonts() override;
    void Draw(QPainter& painter, const QRect& client) override;
    int GetCursorPos(int width) override;

private:
    QString UnitOf(int index) const;
    // The axes, the band, the title and the traces into `layout`; a printed
    // graph leaves the window's state alone.
    void DrawGraph(CGraphPainter& painter, const Layout& layout, bool print);

    CArchivData* m_data = nullptr;
    CPristroj* m_entry = nullptr;
    int m_isOdbDod = 0;
    int m_isSpinac = 1;
    int m_offLineZob = 0;
    int m_typ = 7;
    std::array<int, kQuantityCount> m_shown{};
    std::array<std::uint32_t, kQuantityCount> m_colours{};
    int m_currentGroup = 0;
    Layout m_layout;
};

} // namespace analysers_vkt
