// The VK and VKR archive graphs behind transformers: the value axis is
// labelled in the unit of the window's prefix (V, kV, kW, MW ...), counts in
// that unit, the trace sits where its value lies on that scale, and the
// value list shows the same number under the same unit.
#include "charts/ArchiveAxisCheck.h"

#include "analysers_vk/VKArchivView.h"
#include "analysers_vk/VKGrafAktual.h"
#include "analysers_vk/VKRArchivView.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/StoreTestSupport.h"
#include "archive/store/VKArchivTestSupport.h"
#include "archive/store/VKRArchivData.h"
#include "charts/ArchivValueLists.h"
#include "link/Pristroj.h"
#include "model/QuantityNames.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vk;
using platform::CTime;

namespace {

using axischeck::AxisCase;

// Transformer ratios of one case and the values the instrument measured:
// secondary for the VK (its records are scaled by the ratios), primary for
// the VKR.
struct Ratios {
    double vt = 1;
    double ct = 1;
};

class ArchiveAxisUnitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("settings.ini")));
        AddVKArchivTemplate(m_manager);
        AddVKRArchivTemplate(m_manager);
        m_clock.Set(CTime(1233478800)); // 2009-02-01 10:00 local
    }
    void TearDown() override
    {
        Close();
        platform::Settings::SetFileForTesting(QString());
    }

    // Only `quantity` shown in the graph of instrument `name`: its own
    // choice, and the general ones an archive without a section of its own
    // falls back to.
    static void ShowOnly(const QString& name, const char* quantity)
    {
        platform::Settings settings;
        for (const platform::SettingsSection& section :
             {platform::SettingsSection({QStringLiteral("pristroje"), name}),
              platform::SettingsSection("Obecne nastaveni vk"), platform::SettingsSection("Obecne nastaveni vkr")}) {
            settings.WriteProfileInt(section, QStringLiteral("init"), 1);
            for (QStringView q : VKRQuantityNames) // the VK's and the line distortions
                settings.WriteProfileInt(section, QStringLiteral("is") + q.toString(),
                                         q == QLatin1String(quantity) ? 1 : 0);
        }
    }

    template <class Doc, class View>
    View* Open(const char* templateId, const QString& path)
    {
        ui::CDocTemplate* t = m_manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QLatin1String(templateId));
        if (!t)
            return nullptr;
        auto* doc = qobject_cast<Doc*>(t->OpenDocumentFile(path, true));
        if (!doc)
            return nullptr;
        m_doc = doc;
        auto* view = qobject_cast<View*>(doc->FirstView());
        if (view && view->GetParentFrame())
            view->GetParentFrame()->resize(900, 700);
        QApplication::processEvents();
        return view;
    }

    void Close()
    {
        if (m_doc)
            m_doc->OnCloseDocument();
        m_doc = nullptr;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    template <class View>
    static void Check(View* view, CArchivData& data, const AxisCase& c)
    {
        ASSERT_TRUE(view);
        axischeck::Views views;
        views.view = view;
        views.list = view->List();
        views.data = &data;
        axischeck::CheckAxis(views, c);
    }

    QTemporaryDir m_dir;
    storetest::FakeClock m_clock;
    ui::CDocManager m_manager;
    QPointer<ui::CDocument> m_doc;
};

// The VK's values: 220 V, 5 A and 1000 W on the secondary side.
CVKAktData VKSecondaryValues()
{
    CVKAktData v = vktest::VKValues(1);
    for (int k = 0; k < 3; ++k) {
        v.SetU(k, 2200);                       // 0.1 V
        v.SetI(k, 16000);                      // 0.0003125 A
        v.SetP(k, 1000 * 320000);              // 0.000003125 W
    }
    return v;
}

TEST_F(ArchiveAxisUnitsTest, VKAxesCountInTheUnitTheyName)
{
    struct VKCase {
        Ratios ratios;
        AxisCase axis;
    };
    // Automatic ranges: U 0..500, I 0..10, P 0..4000 (no delivery) times
    // the ratios.
    const VKCase cases[] = {
        {{1, 1}, {"U1", "V", 220.0, 500.0}},
        {{1, 1}, {"I1", "A", 5.0, 10.0}},
        {{1, 1}, {"P1", "W", 1000.0, 4000.0}},
        {{1, 100}, {"P1", "kW", 100.0, 400.0}},
        {{100, 3000}, {"U1", "kV", 22.0, 50.0}},
        {{100, 3000}, {"I1", "kA", 15.0, 30.0}},
        {{100, 3000}, {"P1", "MW", 300.0, 1200.0}},
    };
    int n = 0;
    for (const VKCase& c : cases) {
        SCOPED_TRACE(std::string(c.axis.quantity) + " [" + c.axis.unit + "]");
        const QString name = QStringLiteral("vk%1").arg(++n);
        ShowOnly(name, c.axis.quantity);
        const QString path = axischeck::Record<CVKArchivData>(
            m_clock, m_dir.path(), name, QStringLiteral(".vk"),
            vktest::VKConfig(DWORD(c.ratios.vt * 100), DWORD(c.ratios.ct)), VKSecondaryValues());
        auto* view = Open<CVKArchivDoc, CVKArchivView>("VKArchiv.Document", path);
        ASSERT_TRUE(view);
        Check(view, static_cast<CVKArchivDoc*>(m_doc.data())->GetFamilyArchiv(), c.axis);
        Close();
    }
}

TEST_F(ArchiveAxisUnitsTest, VKRAxesCountInTheUnitTheyName)
{
    struct VKRCase {
        Ratios ratios;
        double u, i, p; // primary, as the VKR records them
        AxisCase axis;
    };
    const VKRCase cases[] = {
        {{1, 1}, 220, 5, 1000, {"U1", "V", 220.0, 500.0}},
        {{1, 1}, 220, 5, 1000, {"P1", "W", 1000.0, 4000.0}},
        {{100, 3000}, 22000, 15000, 300e6, {"U1", "kV", 22.0, 50.0}},
        {{100, 3000}, 22000, 15000, 300e6, {"I1", "kA", 15.0, 30.0}},
        {{100, 3000}, 22000, 15000, 300e6, {"P1", "MW", 300.0, 1200.0}},
    };
    int n = 0;
    for (const VKRCase& c : cases) {
        SCOPED_TRACE(std::string(c.axis.quantity) + " [" + c.axis.unit + "]");
        const QString name = QStringLiteral("vkr%1").arg(++n);
        ShowOnly(name, c.axis.quantity);
        CVKRAktData values = vktest::VKRValues(1);
        for (int k = 0; k < 3; ++k) {
            values.SetUPhase(k, float(c.u));
            values.SetI(k, float(c.i));
            values.SetP(k, float(c.p));
        }
        const QString path = axischeck::Record<CVKRArchivData>(
            m_clock, m_dir.path(), name, QStringLiteral(".vkr"),
            vktest::VKRConfig(DWORD(c.ratios.vt * 100), DWORD(c.ratios.ct), CVKRConfig::Star), values);
        auto* view = Open<CVKRArchivDoc, CVKRArchivView>("VKRArchiv.Document", path);
        ASSERT_TRUE(view);
        Check(view, static_cast<CVKRArchivDoc*>(m_doc.data())->GetFamilyArchiv(), c.axis);
        Close();
    }
}

// The live graph takes the instrument's ratios once they arrive, and a
// quantity shown later is ranged and labelled as well.
TEST_F(ArchiveAxisUnitsTest, LiveVKGraphFollowsTheInstrumentsRatios)
{
    CPristroj entry(QStringLiteral("COM1"), 1, m_dir.path(), FALSE, CPristroj::kVK);
    entry.m_nazev = QStringLiteral("Linka 22 kV");
    ShowOnly(entry.m_nazev, "U1");
    auto* data = dynamic_cast<CVKArchivData*>(entry.GetArchivData());
    ASSERT_TRUE(data);
    data->SetTimeSource(m_clock.Source());
    data->ResetGraphTimeBase(600);
    CVKGrafAktual graph;
    graph.resize(700, 400);
    graph.AttachOnline(entry);
    data->AddConfigRecord(vktest::VKConfig(10000, 3000)); // VT 100, CT 3000
    m_clock.Advance(60);
    data->AddMeasurementRecord(VKSecondaryValues());
    graph.RenderImage();

    struct Expected {
        const char* name;
        const char* unit;
        double value, top;
    };
    auto check = [&](const Expected& e) {
        SCOPED_TRACE(e.name);
        const CGraphTrace* trace = data->SeriesRegistry().FindGraphSeries(QString::fromLatin1(e.name));
        ASSERT_TRUE(trace);
        EXPECT_EQ(trace->Unit(), QLatin1String(e.unit));
        EXPECT_NEAR(trace->Maximum() / trace->Divisor(), e.top, e.top / 500);
        const std::vector<CGraphPoint>& points = trace->Points(0);
        const auto point = std::find_if(points.begin(), points.end(), [](const CGraphPoint& p) { return !p.IsGap(); });
        ASSERT_NE(point, points.end());
        EXPECT_NEAR(trace->ValueOfY(point->y) / trace->Divisor(), e.value, e.top / 500);
    };
    check({"U1", "kV", 22.0, 50.0});
    ASSERT_EQ(graph.SetQuantity(3, 1, 0x00FF0000), 1); // I1
    graph.RenderImage();
    check({"I1", "kA", 15.0, 30.0});
    graph.Detach();
}

} // namespace
