#pragma once

#include "charts/GraphWnd.h"

#include <QString>

#include <array>
#include <cstdint>

class CArchivData;
class CPristroj;

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

private:
    QString UnitOf(int index) const;

    CArchivData* m_data = nullptr;
    CPristroj* m_entry = nullptr;
    int m_isOdbDod = 0;
    int m_isSpinac = 1;
    std::array<int, kQuantityCount> m_shown{};
    std::array<std::uint32_t, kQuantityCount> m_colours{};
    int m_currentGroup = 0;
    Layout m_layout;
};

} // namespace analysers_vk
