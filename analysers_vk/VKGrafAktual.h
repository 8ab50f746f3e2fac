#pragma once

#include "charts/GraphWnd.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

class CArchivData;
class CGraphPainter;
class CPristroj;
class QPrinter;

namespace analysers_vk {

// The trend graph of the VK form views: the chosen quantities of the
// instrument's live records (online) or of an archive window (offline) as
// coloured traces, one value axis per quantity group, a time axis and a
// marker at the newest position.
class CVKGrafAktual : public CGraphWnd {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 37;

    struct Quantity {
        const char* name;
        int group;    // axis group: 0 U, 1 I, 2 PF and cos, 3 f, 4 T, 5 P/Q/S, 6 THD
        int category; // scale category of the instrument type
        const char* caption;
        std::uint32_t colour; // COLORREF 0x00BBGGRR
    };
    static const Quantity& QuantityAt(int index);
    // The default range of an axis group: U 0..500, I 0..10, PF 0..2,
    // f 40..85, T 0..100, P -4000..4000, THD 0..200.
    static void GroupRange(int group, float& minimum, float& maximum);

    // Band under the plot: used when 10 f is less than the client height.
    struct Layout {
        int f = 0;
        bool band = false;
        QRect title;
        QRect plot;
    };
    static Layout ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand);
    // The marker's logical x for a time `elapsed` seconds after the graph's
    // origin on an axis `span` seconds wide.
    static int MarkerPosition(std::int64_t elapsed, int span);

    explicit CVKGrafAktual(QWidget* parent = nullptr);
    ~CVKGrafAktual() override;

    void AttachOnline(CPristroj& entry);
    void AttachArchive(CArchivData& data);
    bool HasSource() const { return m_data != nullptr; }
    // Lets go of the bound data and its series; called by the owner while
    // the entry or archive still exists (the graph may outlive them).
    void Detach();

    bool GetQuantity(int index, int& shown, std::uint32_t& colour) const;
    int SetQuantity(int index, int shown, std::uint32_t colour);
    // Every quantity but I4 (index 6).
    void GetAllQuantities(std::array<int, 36>& shown, std::array<std::uint32_t, 36>& colours) const;

    void LoadSettings();
    void SaveSettings();

    // The offline settings record of section 0 of the archive's settings
    // stream: isOdbDod, isSpinac, colour and shown flag of every quantity,
    // "typ", the scale categories (float count, auto flag, then a block of
    // the floats when there are any), the current group and the grid flag.
    QByteArray ArchiveRecord() const;
    // False (nothing applied) for a record that cannot be read up to its
    // float block; the group and grid flag after the block are taken only
    // when the record holds them.
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
    // Variant bit 0 of the bound instrument's identification: the
    // temperature exists only with it.
    bool HasVariantFlag() const;
    // Lays the window out again (after the band or the quantities changed).
    void CreateFontsNow() { CreateFonts(); }

protected:
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

    CArchivData* m_data = nullptr;
    CPristroj* m_entry = nullptr;
    int m_isOdbDod = 0;
    int m_isSpinac = 1;
    std::array<int, kQuantityCount> m_shown{};
    std::array<std::uint32_t, kQuantityCount> m_colours{};
    int m_currentGroup = 0;
    int m_typ = 7;
    Layout m_layout;
};

} // namespace analysers_vk
