#include "analysers_vk/VKRHodnotyDlg.h"

#include "link/Pristroj.h"
#include "platform/ui/DialogUnits.h"

#include <QGridLayout>
#include <QLabel>
#include <QTabBar>

#include <algorithm>

namespace analysers_vk {

namespace {

constexpr QSize kGroupSize(166, 62);
constexpr QSize kTabPage(166, 76);
// The fullest arrangement: two columns of two groups, ending 342 units
// across and 153 down, with the margins around them.
constexpr QSize kFullest(348, 165);

// Caption ids of the unit-bearing column heads.
constexpr CValuesDialogCaptionIds kCaptionIds{1301, 1302, 1303, 1304, 1305, 1306};

const char* const kTabCaptions[4] = {"U,I,...", "THD,...", "Výkony", "Ost."};

// Groups of the tab strip by its mode.
const std::vector<int> kPages[2] = {{0, 1, 2, 3}, {1, 2, 3}};

bool InRange(int id, int first, int count)
{
    return id >= first && id < first + count;
}

} // namespace

CVKRHodnotyDlg::CVKRHodnotyDlg(QWidget* parent) : CVKValuesBase(kFullest, parent), m_captions(kCaptionIds)
{
    setAutoFillBackground(true);
    MakeHeader(m_name, m_time);
    BuildGroups();
    m_tab = new QTabBar(this);
    m_tab->setDrawBase(true);
    m_tab->hide();
    connect(m_tab, &QTabBar::currentChanged, this, [this] { ShowTabPage(); });
}

void CVKRHodnotyDlg::BuildGroups()
{
    auto label = [this](QGridLayout* grid, int id, const QString& text, int row, int column, bool framed) {
        auto* l = new QLabel(text);
        if (framed) {
            l->setFrameShape(QFrame::StyledPanel);
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        } else {
            l->setAlignment(Qt::AlignCenter);
        }
        grid->addWidget(l, row, column);
        if (id)
            RegisterField(id, l);
        return l;
    };
    auto field = [&](QGridLayout* grid, int id, int row, int column) {
        label(grid, id, QStringLiteral("--"), row, column, true);
    };
    auto group = [this](int index) {
        m_groups[std::size_t(index)] = new QWidget(this);
        auto* grid = new QGridLayout(m_groups[std::size_t(index)]);
        grid->setContentsMargins(2, 2, 2, 2);
        grid->setSpacing(2);
        return grid;
    };
    const QStringList phases = {QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3")};

    QGridLayout* g1 = group(0);
    label(g1, kCaptionIds.phaseVoltage, CValuesDialogCaptions::VoltageCaption(false, 1), 0, 1, false);
    label(g1, kCaptionIds.lineVoltage, CValuesDialogCaptions::VoltageCaption(true, 1), 0, 2, false);
    label(g1, kCaptionIds.current, CValuesDialogCaptions::CurrentCaption(1), 0, 3, false);
    label(g1, 0, QStringLiteral("cos"), 0, 4, false);
    const int ids1[4] = {1021, 1033, 1024, 1027};
    for (int p = 0; p < 3; ++p) {
        label(g1, 0, phases[p], p + 1, 0, false);
        for (int c = 0; c < 4; ++c)
            field(g1, ids1[c] + p, p + 1, c + 1);
    }

    QGridLayout* g2 = group(1);
    label(g2, 0, QStringLiteral("THDU[%]"), 0, 1, false);
    label(g2, 0, QStringLiteral("THDI[%]"), 0, 2, false);
    // The line voltages' THD: an edit-like caption and a colour swatch per
    // value, as the graph draws that quantity.
    QLabel* caption = label(g2, IdThdUsCaption, QStringLiteral("THDUS[%]"), 0, 4, false);
    caption->setFrameShape(QFrame::StyledPanel);
    const QStringList pairs = {QStringLiteral("L1-2"), QStringLiteral("L2-3"), QStringLiteral("L3-1")};
    for (int p = 0; p < 3; ++p) {
        label(g2, 0, phases[p], p + 1, 0, false);
        field(g2, 1038 + p, p + 1, 1);
        field(g2, 1041 + p, p + 1, 2);
        QLabel* swatch = label(g2, IdFirstThdUsSwatch + p, QString(), p + 1, 3, false);
        swatch->setFixedSize(8, 8);
        swatch->setAutoFillBackground(true);
        swatch->setToolTip(pairs[p]);
        swatch->hide();
        field(g2, IdFirstThdUs + p, p + 1, 4);
    }
    label(g2, 1144, QStringLiteral("Fr [Hz]:"), 4, 0, false);
    field(g2, 1049, 4, 1);
    label(g2, 1145, QStringLiteral("t [C]:"), 4, 2, false);
    field(g2, 1048, 4, 4);

    QGridLayout* g3 = group(2);
    label(g3, kCaptionIds.power, CValuesDialogCaptions::PowerCaption(0, 1), 0, 1, false);
    label(g3, kCaptionIds.reactive, CValuesDialogCaptions::PowerCaption(1, 1), 0, 2, false);
    label(g3, kCaptionIds.apparent, CValuesDialogCaptions::PowerCaption(2, 1), 0, 3, false);
    label(g3, 0, QStringLiteral("PF"), 0, 4, false);
    const int ids3[4] = {1213, 1217, 1221, 1225};
    for (int k = 0; k < 4; ++k) {
        label(g3, k < 3 ? 0 : IdPhaseCaption, k < 3 ? phases[k] : QStringLiteral("3f"), k + 1, 0, false);
        for (int c = 0; c < 4; ++c)
            field(g3, ids3[c] + k, k + 1, c + 1);
    }

    QGridLayout* g4 = group(3);
    const QStringList c4 = {QStringLiteral("Záznam od:"), QStringLiteral("do:"), QStringLiteral("Soubor:")};
    for (int r = 0; r < 3; ++r) {
        label(g4, 0, c4[r], r, 0, false);
        field(g4, 1044 + r, r, 1);
    }
    for (QWidget* g : m_groups)
        g->hide();
}

int CVKRHodnotyDlg::ChooseState(int w, int h, bool compact)
{
    if (w >= kFullest.width() && h >= kFullest.height())
        return 0;
    if (h >= 307)
        return 1;
    if (h >= 177)
        return 2;
    if (h >= 123 && w > 347)
        return 3;
    if (compact || h >= 113)
        return 4;
    return 5;
}

bool CVKRHodnotyDlg::FieldEnabled(int id, int c)
{
    auto perPhase = [c](int j, bool aronPhase2, bool aronAll) {
        return !((c == 0 && j > 0) || (c == 1 && j > 1) || (c == 4 && aronPhase2 && j == 1) || (c == 4 && aronAll));
    };
    if (InRange(id, 1021, 3))
        return perPhase(id - 1021, false, false);
    if (InRange(id, 1038, 3))
        return perPhase(id - 1038, false, false);
    if (InRange(id, 1024, 3))
        return perPhase(id - 1024, true, false);
    if (InRange(id, 1041, 3))
        return perPhase(id - 1041, true, false);
    if (InRange(id, 1027, 3))
        return perPhase(id - 1027, false, true);
    if (InRange(id, 1033, 3))
        return !(c == 0 || (c == 1 && id - 1033 > 0));
    if (InRange(id, IdFirstThdUs, 3))
        return !(c == 0 || (c == 1 && id - IdFirstThdUs < 2));
    if (InRange(id, 1213, 16)) {
        const int k = (id - 1213) % 4;
        return !((c == 0 && k > 0) || (c == 1 && k == 2) || (c == 4 && k < 3));
    }
    return true;
}

void CVKRHodnotyDlg::UpdateLabels(int connectionType)
{
    if (connectionType == m_connection)
        return;
    m_connection = connectionType;
    SetField(IdPhaseCaption, connectionType == 1 ? QStringLiteral("2f") : QStringLiteral("3f"));
    for (const auto& [id, field] : Fields()) {
        if (field->frameShape() == QFrame::StyledPanel && id != IdThdUsCaption)
            field->setEnabled(FieldEnabled(id, connectionType));
    }
}

void CVKRHodnotyDlg::SetValues(const CVKRValueTexts& t)
{
    if (t.hasValues) {
        UpdateLabels(t.connectionType);
        for (const CValuesDialogCaption& caption :
             m_captions.Update(t.voltageMultiplier, t.currentMultiplier, t.powerMultiplier))
            SetField(caption.control, caption.text);
    }
    for (int p = 0; p < 3; ++p) {
        SetField(1021 + p, t.u[std::size_t(p)]);
        SetField(1033 + p, t.uLine[std::size_t(p)]);
        SetField(1024 + p, t.i[std::size_t(p)]);
        SetField(1027 + p, t.cosPhi[std::size_t(p)]);
        SetField(1038 + p, t.thdU[std::size_t(p)]);
        SetField(1041 + p, t.thdI[std::size_t(p)]);
        SetField(IdFirstThdUs + p, t.thdULine[std::size_t(p)]);
        SetField(1213 + p, t.p[std::size_t(p)]);
        SetField(1217 + p, t.q[std::size_t(p)]);
        SetField(1221 + p, t.s[std::size_t(p)]);
        SetField(1225 + p, t.pf[std::size_t(p)]);
    }
    SetField(1049, t.frequency);
    SetField(1048, t.temperature);
    SetField(1216, t.p3);
    SetField(1220, t.q3);
    SetField(1224, t.s3);
    SetField(1228, t.pf3);
}

void CVKRHodnotyDlg::SetHeader(const QString& name, const QString& time)
{
    m_name->setText(name);
    m_time->setText(time);
}

void CVKRHodnotyDlg::SetSwatch(int index, const QColor& colour, bool shown)
{
    if (index < 0 || index > 2)
        return;
    m_swatchColour[std::size_t(index)] = colour;
    m_swatchShown[std::size_t(index)] = shown;
    QLabel* swatch = Field(IdFirstThdUsSwatch + index);
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, colour);
    swatch->setPalette(palette);
    swatch->setVisible(shown);
}

QColor CVKRHodnotyDlg::SwatchColour(int index) const
{
    return index >= 0 && index < 3 ? m_swatchColour[std::size_t(index)] : QColor();
}

void CVKRHodnotyDlg::ResetLayout()
{
    const int tab = GetActiveTab();
    m_state = -1;
    Layout(true);
    SetActiveTab(tab);
}

void CVKRHodnotyDlg::PlaceTab(int mode, QPoint dlu)
{
    m_mode = mode;
    QStringList captions;
    for (int item : kPages[mode])
        captions << QString::fromUtf8(kTabCaptions[item]);
    FillStrip(m_tab, captions, QRect(dlu, kTabPage));
    ShowTabPage();
}

void CVKRHodnotyDlg::ShowTabPage()
{
    if (m_mode < 0 || m_tab->isHidden())
        return;
    const std::vector<int>& pages = kPages[m_mode];
    ShowCurrentPage(m_tab, 4, ui::DluToPixelsY(kTabPage.height(), font()) - m_tab->height() - 6,
                    [this, &pages](int p) {
                        return p < int(pages.size()) ? m_groups[std::size_t(pages[std::size_t(p)])] : nullptr;
                    },
                    false);
}

void CVKRHodnotyDlg::Layout(bool force)
{
    const int w = ui::PixelsToDluX(width(), font());
    const int h = ui::PixelsToDluY(height(), font());
    const int state = ChooseState(w, h, m_compact);
    if (state == m_state && !force)
        return;
    m_state = state;
    m_tab->hide();
    m_mode = -1;
    m_fileFields = state != 5;
    m_name->setVisible(m_fileFields);
    m_time->setVisible(m_fileFields);
    if (m_fileFields) {
        for (QWidget* g : m_groups)
            g->hide();
        m_name->setGeometry(Dlu(5, 5, 70, 12));
        m_time->setGeometry(Dlu(76, 5, 89, 12));
    }
    auto place = [this](int group, int x, int y) {
        QWidget* g = m_groups[std::size_t(group)];
        g->setGeometry(Dlu(x, y, kGroupSize.width(), kGroupSize.height()));
        g->show();
    };
    switch (state) {
    case 0:
        place(0, 5, 22);
        place(1, 5, 91);
        place(2, 176, 22);
        place(3, 176, 91);
        break;
    case 1:
        place(0, 5, 22);
        place(1, 5, 91);
        place(2, 5, 162);
        place(3, 5, 236);
        break;
    case 2:
        place(0, 5, 22);
        PlaceTab(1, {5, 85});
        break;
    case 3:
        place(0, 5, 22);
        PlaceTab(1, {176, 22});
        break;
    case 4: PlaceTab(0, {5, 22}); break;
    default: PlaceTab(0, {5, 5}); break;
    }
}

void CVKRHodnotyDlg::SetActiveTab(int tab)
{
    if (m_mode < 0 || tab < 0 || tab >= m_tab->count())
        return;
    m_tab->setCurrentIndex(tab);
    ShowTabPage();
}

int CVKRHodnotyDlg::GetActiveTab() const
{
    return m_mode < 0 ? -1 : m_tab->currentIndex();
}

} // namespace analysers_vk
