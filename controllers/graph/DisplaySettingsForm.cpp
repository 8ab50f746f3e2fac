#include "controllers/graph/DisplaySettingsForm.h"

#include "charts/GraphPainter.h"
#include "controllers/graph/DuskarGraphWnd.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "model/ValueChecks.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "platform/ui/MessageBox.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include <cstring>

namespace controllers {

namespace {

CDisplaySettingsForm::ColourChooser& Chooser()
{
    static CDisplaySettingsForm::ColourChooser chooser;
    return chooser;
}

std::uint32_t RefFromColor(const QColor& c)
{
    return std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) | (std::uint32_t(c.blue()) << 16);
}

QString Number(double v)
{
    return QString::number(v, 'g', 7);
}

constexpr float kBig = 2147483648.0f;

CDisplaySettingsForm::Spec MakeQorin(bool page)
{
    CDisplaySettingsForm::Spec s;
    s.type = 1;
    // In the order of the graph's curves: cos, THD, RMS, active, reactive.
    s.quantities = {{1016, 1105, "cos"},
                    {1020, 1109, "THD"},
                    {1017, 1106, "Efektivní proud"},
                    {1018, 1107, "Činný proud"},
                    {1019, 1108, "Jalový proud"}};
    s.ranges = {{1022, 1282, "cos", "", 32438, -1.f, 1.f, true},
                {1023, 1283, "I", "A", 32439, -kBig, kBig, false},
                {1024, 1284, "THD", "%", 32440, 0.f, kBig, false}};
    s.stagesBox = 1021;
    s.stagesText = "Stupně";
    s.quantitiesTitle = page ? "Výchozí zobrazované veličiny:" : "Zobrazované veličiny:";
    s.rangesTitle = page ? "Výchozí rozsahy grafu :" : "Rozsahy grafu :";
    return s;
}

CDisplaySettingsForm::Spec MakeDuskar(bool page)
{
    CDisplaySettingsForm::Spec s;
    s.type = 5;
    s.quantities = {{1045, 1180, "cos:"},  {1046, 1181, page ? "U:" : "Ueff:"}, {1047, 1182, "f:"},
                    {1063, 1198, "Pac:"},  {1064, 1199, "Pre:"},  {1065, 1200, "dPre:"},
                    {1048, 1183, "Ieff:"}, {1049, 1184, "Iact:"}, {1050, 1185, "Irea:"},
                    {1090, 1218, "dIrea:"}, {1379, 1378, "THDI:"}, {1380, 1381, "THDU:"},
                    {1384, 1385, "CHL:"},  {1382, 1383, "T:"}};
    s.groups = {{1368, "Cos,U,...", {0, 1, 2}},
                {1386, "P", {3, 4, 5}},
                {1387, "I", {6, 7, 8, 9}},
                {1388, "THD,..", {10, 11, 12, 13}}};
    s.ranges = {{1017, 1086, "U", "V", 32441, 0.f, kBig, false},
                {1018, 1080, "I", "A", 32439, 0.f, kBig, false},
                {1019, 1081, "cos", "", 32442, -0.99f, 1.f, true},
                {1020, 1082, "f", "Hz", 32443, 35.f, 100.f, false},
                {1021, 1083, "P", "W", 32445, -kBig, kBig, false},
                {1022, 1084, "THD,CHL", "%", 32440, 0.f, 850.f, false},
                {1023, 1085, "T", "C", 32444, -100.f, 1000.f, false}};
    s.stagesBox = 1024;
    s.stagesText = "Zobrazovat stupně";
    s.quantitiesTitle = page ? "Výchozí zobrazované veličiny:" : "Zobrazované veličiny:";
    s.rangesTitle = "Rozsahy zobrazovaných veličin (graf):";
    return s;
}

} // namespace

const CDisplaySettingsForm::Spec& CDisplaySettingsForm::QorinSpec(bool page)
{
    static const Spec dialog = MakeQorin(false);
    static const Spec general = MakeQorin(true);
    return page ? general : dialog;
}

const CDisplaySettingsForm::Spec& CDisplaySettingsForm::DuskarSpec(bool page)
{
    static const Spec dialog = MakeDuskar(false);
    static const Spec general = MakeDuskar(true);
    return page ? general : dialog;
}

CDisplaySettingsForm::ColourChooser CDisplaySettingsForm::SetColourChooser(ColourChooser chooser)
{
    ColourChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

CScaleCategories CDisplaySettingsForm::ReadCategories(const platform::Settings& settings,
                                                      const platform::SettingsSection& section, const QString& prefix,
                                                      int type)
{
    const int count = settings.GetProfileInt(section, prefix + QStringLiteral("PocetKat"), 0);
    if (count <= 0)
        return CScaleCategories(type);
    std::vector<float> values;
    if (!ParseFloats(settings.GetProfileBinary(section, prefix + QStringLiteral("Ketegorie")), count, values))
        return CScaleCategories(type);
    CScaleCategories categories;
    categories.Set(settings.GetProfileInt(section, prefix + QStringLiteral("Auto"), 1), count, values.data());
    return categories;
}

bool CDisplaySettingsForm::ParseFloats(const QByteArray& bytes, int count, std::vector<float>& out)
{
    if (count < 0 || bytes.size() % 4 != 0 || bytes.size() / 4 != count)
        return false;
    out.assign(static_cast<std::size_t>(count), 0.f);
    for (int i = 0; i < count; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + 4 * i;
        const std::uint32_t bits = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                                   (std::uint32_t(p[3]) << 24);
        std::memcpy(&out[static_cast<std::size_t>(i)], &bits, 4);
    }
    return true;
}

QByteArray CDisplaySettingsForm::FloatBytes(const CScaleCategories& categories)
{
    QByteArray bytes;
    for (int i = 0; i < categories.GetCount(); ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, categories.GetValues() + i, 4);
        for (int k = 0; k < 4; ++k)
            bytes.append(char(bits >> (8 * k)));
    }
    return bytes;
}

void CDisplaySettingsForm::WriteCategories(platform::Settings& settings, const platform::SettingsSection& section,
                                           const QString& prefix, const CScaleCategories& categories)
{
    settings.WriteProfileInt(section, prefix + QStringLiteral("PocetKat"), categories.GetCount());
    settings.WriteProfileInt(section, prefix + QStringLiteral("Auto"), categories.GetAuto());
    settings.WriteProfileBinary(section, prefix + QStringLiteral("Ketegorie"), FloatBytes(categories));
}

std::vector<CDisplaySettingsForm::Defaults> CDisplaySettingsForm::QorinDefaults()
{
    std::vector<Defaults> out;
    for (int c = 0; c < CQuantityGraphWnd::kCurveCount; ++c) {
        const CQuantityGraphWnd::CurveInfo& info = CQuantityGraphWnd::Info(CQuantityGraphWnd::Curve(c));
        out.push_back({QString::fromLatin1(info.colourValue), QString::fromLatin1(info.shownValue), info.defaultColour, 1});
    }
    return out;
}

std::vector<CDisplaySettingsForm::Defaults> CDisplaySettingsForm::DuskarDefaults()
{
    std::vector<Defaults> out;
    for (int i = 0; i < CDuskarGraphWnd::kQuantityCount; ++i) {
        const CDuskarGraphWnd::Quantity& q = CDuskarGraphWnd::QuantityAt(i);
        const QString name = QString::fromLatin1(q.name);
        out.push_back({QStringLiteral("barva ") + name, QStringLiteral("is") + name, q.colour, q.shown ? 1 : 0});
    }
    return out;
}

CDisplaySettingsForm::Values CDisplaySettingsForm::ReadDefaults(const platform::Settings& settings,
                                                                const platform::SettingsSection& section,
                                                                const std::vector<Defaults>& quantities,
                                                                const QString& prefix, int type)
{
    Values v;
    for (const Defaults& q : quantities) {
        v.colours.push_back(std::uint32_t(settings.GetProfileInt(section, q.colourValue, int(q.colour))));
        v.shown.push_back(settings.GetProfileInt(section, q.shownValue, q.shown));
    }
    v.stages = settings.GetProfileInt(section, QStringLiteral("isSpinac"), 1);
    v.importExport = settings.GetProfileInt(section, QStringLiteral("isOdbDod"), 0);
    v.categories = ReadCategories(settings, section, prefix, type);
    return v;
}

void CDisplaySettingsForm::WriteDefaults(platform::Settings& settings, const platform::SettingsSection& section,
                                         const std::vector<Defaults>& quantities, const QString& prefix,
                                         const Values& values)
{
    for (std::size_t i = 0; i < quantities.size(); ++i) {
        settings.WriteProfileInt(section, quantities[i].colourValue, int(values.colours[i]));
        settings.WriteProfileInt(section, quantities[i].shownValue, values.shown[i]);
    }
    settings.WriteProfileInt(section, QStringLiteral("isSpinac"), values.stages);
    settings.WriteProfileInt(section, QStringLiteral("isOdbDod"), values.importExport);
    WriteCategories(settings, section, prefix, values.categories);
}

CDisplaySettingsForm::CDisplaySettingsForm(const Spec& spec, QWidget* parent) : QWidget(parent), m_spec(spec)
{
    auto remember = [this](int id, QWidget* w) {
        w->setObjectName(QString::number(id));
        m_controls[id] = w;
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* quantities = new QGroupBox(QString::fromUtf8(spec.quantitiesTitle), this);
    auto* grid = new QGridLayout(quantities);
    const int n = int(spec.quantities.size());
    m_colours.assign(std::size_t(n), 0);
    std::vector<int> groupOf(std::size_t(n), -1);
    for (int g = 0; g < int(spec.groups.size()); ++g)
        for (int m : spec.groups[std::size_t(g)].members)
            groupOf[std::size_t(m)] = g;
    std::vector<int> rowInGroup(spec.groups.size(), 1);
    for (int g = 0; g < int(spec.groups.size()); ++g) {
        auto* box = new QCheckBox(QString::fromUtf8(spec.groups[std::size_t(g)].title), quantities);
        box->setTristate(true);
        remember(spec.groups[std::size_t(g)].box, box);
        grid->addWidget(box, 0, g * 3, 1, 3);
        connect(box, &QCheckBox::clicked, this, [this, g] { OnGroupClicked(g); });
        m_groupBoxes.push_back(box);
        m_groupStates.push_back(0);
    }
    for (int i = 0; i < n; ++i) {
        const Quantity& q = spec.quantities[std::size_t(i)];
        auto* label = new QLabel(QString::fromUtf8(q.label), quantities);
        auto* swatch = new QWidget(quantities);
        swatch->setFixedSize(24, 14);
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->installEventFilter(this);
        auto* box = new QCheckBox(QStringLiteral("Zobrazovat"), quantities);
        remember(q.box, box);
        remember(q.swatch, swatch);
        connect(box, &QCheckBox::clicked, this, [this] { OnQuantityToggled(); });
        const int g = groupOf[std::size_t(i)];
        const int row = g < 0 ? i : rowInGroup[std::size_t(g)]++;
        const int column = g < 0 ? 0 : g * 3;
        grid->addWidget(label, row, column);
        grid->addWidget(swatch, row, column + 1);
        grid->addWidget(box, row, column + 2);
        m_boxes.push_back(box);
        m_swatches.push_back(swatch);
    }
    layout->addWidget(quantities);
    m_stages = new QCheckBox(QString::fromUtf8(spec.stagesText), this);
    remember(spec.stagesBox, m_stages);
    m_importExport = new QCheckBox(QStringLiteral("Zobrazení import/export"), this);
    remember(1029, m_importExport);
    layout->addWidget(m_stages);
    layout->addWidget(m_importExport);

    auto* ranges = new QGroupBox(QString::fromUtf8(spec.rangesTitle), this);
    auto* rangeGrid = new QGridLayout(ranges);
    auto* minLabel = new QLabel(QStringLiteral("min"), ranges);
    auto* maxLabel = new QLabel(QStringLiteral("max"), ranges);
    rangeGrid->addWidget(minLabel, 0, 1);
    rangeGrid->addWidget(maxLabel, 0, 2);
    m_rangeLabels = {minLabel, maxLabel};
    for (int r = 0; r < int(spec.ranges.size()); ++r) {
        const Range& range = spec.ranges[std::size_t(r)];
        auto* label = new QLabel(QString::fromUtf8(range.label), ranges);
        auto* unit = new QLabel(QString::fromUtf8(range.unit), ranges);
        auto* lo = new QLineEdit(ranges);
        auto* hi = new QLineEdit(ranges);
        remember(range.minEdit, lo);
        remember(range.maxEdit, hi);
        for (QLineEdit* edit : {lo, hi})
            ui::CFieldRefusal::WhenLeft(edit, [this, edit] { OnRangeLeft(edit); });
        rangeGrid->addWidget(label, r + 1, 0);
        rangeGrid->addWidget(lo, r + 1, 1);
        rangeGrid->addWidget(hi, r + 1, 2);
        rangeGrid->addWidget(unit, r + 1, 3);
        m_min.push_back(lo);
        m_max.push_back(hi);
        m_rangeLabels.push_back(label);
        m_rangeLabels.push_back(unit);
    }
    m_auto = new QCheckBox(QStringLiteral("Určit rozsah automaticky"), ranges);
    remember(1087, m_auto);
    rangeGrid->addWidget(m_auto, int(spec.ranges.size()) + 1, 0, 1, 4);
    connect(m_auto, &QCheckBox::toggled, this, [this] { EnableRanges(); });
    layout->addWidget(ranges);
    EnableRanges();
}

QWidget* CDisplaySettingsForm::Control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CDisplaySettingsForm::SetValues(const Values& v)
{
    m_updating = true;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        m_boxes[i]->setChecked(i < v.shown.size() && v.shown[i] != 0);
        m_colours[i] = i < v.colours.size() ? v.colours[i] : 0;
        m_swatches[i]->update();
    }
    m_stages->setChecked(v.stages != 0);
    m_importExport->setChecked(v.importExport != 0);
    for (std::size_t r = 0; r < m_spec.ranges.size(); ++r) {
        float lo = 0, hi = 0;
        if (!v.categories.GetRange(int(r), lo, hi))
            CScaleCategories(m_spec.type).GetRange(int(r), lo, hi);
        const bool cosine = m_spec.ranges[r].cosine;
        m_min[r]->setText(Number(cosine ? -double(lo) : double(lo)));
        m_max[r]->setText(Number(cosine ? 2.0 - double(hi) : double(hi)));
    }
    m_auto->setChecked(v.categories.GetAuto() != 0);
    m_updating = false;
    EnableRanges();
    UpdateGroups();
}

CDisplaySettingsForm::Values CDisplaySettingsForm::GetValues() const
{
    Values v;
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        v.shown.push_back(m_boxes[i]->isChecked() ? 1 : 0);
        v.colours.push_back(m_colours[i]);
    }
    v.stages = m_stages->isChecked() ? 1 : 0;
    v.importExport = m_importExport->isChecked() ? 1 : 0;
    v.categories = CScaleCategories(m_spec.type);
    for (std::size_t r = 0; r < m_spec.ranges.size(); ++r) {
        const double lo = m_min[r]->text().toDouble();
        const double hi = m_max[r]->text().toDouble();
        const bool cosine = m_spec.ranges[r].cosine;
        v.categories.SetRange(int(r), float(cosine ? -lo : lo), float(cosine ? 2.0 - hi : hi));
    }
    v.categories.SetAuto(m_auto->isChecked());
    return v;
}

bool CDisplaySettingsForm::Validate()
{
    for (std::size_t r = 0; r < m_spec.ranges.size(); ++r) {
        const Range& range = m_spec.ranges[r];
        const QString name = platform::LoadString(range.nameId);
        bool okMin = false, okMax = false;
        const float lo = m_min[r]->text().toFloat(&okMin);
        const float hi = m_max[r]->text().toFloat(&okMax);
        if (!okMin || !okMax) {
            m_refusal.Say(QStringLiteral("%1: zadejte číslo").arg(name), okMin ? m_max[r] : m_min[r]);
            return false;
        }
        // The signed power factor range -1 .. 1 passes, though it folds to
        // the empty range 1 .. 1 on the graph's 0..2 scale: the graph draws
        // a range of no height flat.
        const FloatRangeResult result =
            DDV_FloatRange(lo, hi, range.low, range.high, range.cosine ? TRUE : FALSE);
        if (result.messageId != 0) {
            m_refusal.Say(FormatFloatRangeMessage(platform::LoadString(result.messageId), name, result.limit),
                          result.focusMinimum ? m_min[r] : m_max[r]);
            return false;
        }
    }
    return true;
}

void CDisplaySettingsForm::OnRangeLeft(QLineEdit* edit)
{
    if (!m_updating && ui::CFieldRefusal::MovedOnWithin(edit))
        Validate();
}

void CDisplaySettingsForm::EnableRanges()
{
    const bool manual = !m_auto->isChecked();
    for (QLineEdit* e : m_min)
        e->setEnabled(manual);
    for (QLineEdit* e : m_max)
        e->setEnabled(manual);
    for (QWidget* w : m_rangeLabels)
        w->setEnabled(manual);
}

void CDisplaySettingsForm::OnQuantityToggled()
{
    if (m_updating)
        return;
    bool any = false;
    for (QCheckBox* b : m_boxes)
        any = any || b->isChecked();
    if (!any) {
        ui::ErrorBox(this, platform::LoadString(platform::IDS_GRAPH_NEEDS_QUANTITY), ui::MsgButtons::Ok,
                     ui::MsgIcon::Error);
        m_boxes.front()->setChecked(true);
    }
    UpdateGroups();
}

void CDisplaySettingsForm::OnGroupClicked(int group)
{
    // A mixed group counts as off: a click shows all its members.
    const bool show = m_groupStates[std::size_t(group)] != 1;
    m_updating = true;
    for (int m : m_spec.groups[std::size_t(group)].members)
        m_boxes[std::size_t(m)]->setChecked(show);
    m_updating = false;
    OnQuantityToggled();
}

void CDisplaySettingsForm::UpdateGroups()
{
    for (std::size_t g = 0; g < m_spec.groups.size(); ++g) {
        int on = 0;
        const auto& members = m_spec.groups[g].members;
        for (int m : members)
            on += m_boxes[std::size_t(m)]->isChecked();
        const int state = on == 0 ? 0 : on == int(members.size()) ? 1 : 2;
        m_groupStates[g] = state;
        m_groupBoxes[g]->setCheckState(state == 0 ? Qt::Unchecked : state == 1 ? Qt::Checked : Qt::PartiallyChecked);
    }
}

void CDisplaySettingsForm::PickColour(int index)
{
    QColor colour = ColorFromRef(m_colours[std::size_t(index)]);
    bool chosen = false;
    if (Chooser()) {
        chosen = Chooser()(colour, this);
    } else {
        const QColor picked = QColorDialog::getColor(colour, this);
        chosen = picked.isValid();
        colour = picked;
    }
    if (!chosen)
        return;
    m_colours[std::size_t(index)] = RefFromColor(colour);
    m_swatches[std::size_t(index)]->update();
}

bool CDisplaySettingsForm::eventFilter(QObject* watched, QEvent* event)
{
    for (std::size_t i = 0; i < m_swatches.size(); ++i) {
        if (watched != m_swatches[i])
            continue;
        if (event->type() == QEvent::Paint) {
            QPainter p(m_swatches[i]);
            const QColor c = ColorFromRef(m_colours[i]);
            p.setPen(QPen(c, 2));
            p.setBrush(c);
            p.drawRect(m_swatches[i]->rect().adjusted(1, 1, -1, -1));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            PickColour(int(i));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace controllers
