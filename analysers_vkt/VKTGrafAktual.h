#pragma once

#include "analysers_vk/VKFamilyGrafAktual.h"

#include <QString>

#include <array>
#include <cstdint>

namespace analysers_vkt {

// The trend graph of the VKT form views: the chosen ones of the 46 VKT
// quantities, one value axis per group (eight, "u2" the last), and the
// relays' channel band under the plot.
class CVKTGrafAktual : public analysers_vk::CVKFamilyGrafAktual {
    Q_OBJECT
public:
    static constexpr int kQuantityCount = 46;
    static constexpr int kGroupCount = 8;

    static const Quantity& QuantityAt(int index);
    static QString NameAt(int index);
    // The band is reserved when asked for and 18 f is less than the client
    // height.
    static Layout ComputeLayout(const QRect& client, int logPixelsY, bool reserveBand);

    explicit CVKTGrafAktual(QWidget* parent = nullptr);
    ~CVKTGrafAktual() override;

    // All 46 in index order.
    void GetAllQuantities(std::array<int, kQuantityCount>& shown,
                          std::array<std::uint32_t, kQuantityCount>& colours) const;

    int OffLineZob() const { return m_offLineZob; }
    void SetOffLineZob(int value) { m_offLineZob = value; }

protected:
    void DrawBand(CGraphPainter& painter, const CGraphRect& band) override;
};

} // namespace analysers_vkt
