#include "analysers_vk/VKGrafAktual.h"
#include "archive/store/VKArchivData.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using analysers_vk::CVKGrafAktual;

namespace {

TEST(VKGrafAktual, LayoutReservesTheBandOnlyWhenTenLinesFit)
{
    // f = 96 * 9 / 72 = 12; the band needs 10 f < the shrunk height.
    const CVKGrafAktual::Layout tall = CVKGrafAktual::ComputeLayout(QRect(0, 0, 400, 300), 96, true);
    EXPECT_EQ(tall.f, 12);
    EXPECT_TRUE(tall.band);
    EXPECT_EQ(tall.title.bottom(), 298 - 5 * 12 / 2);
    EXPECT_EQ(tall.plot.left(), 6);
    EXPECT_EQ(tall.plot.top(), 1 + 18 + 5);
    EXPECT_EQ(tall.plot.right(), 398 - 36);

    EXPECT_FALSE(CVKGrafAktual::ComputeLayout(QRect(0, 0, 400, 122), 96, true).band);
    EXPECT_TRUE(CVKGrafAktual::ComputeLayout(QRect(0, 0, 400, 123), 96, true).band);
    EXPECT_FALSE(CVKGrafAktual::ComputeLayout(QRect(0, 0, 400, 300), 96, false).band);
    // Larger windows take larger fonts.
    EXPECT_EQ(CVKGrafAktual::ComputeLayout(QRect(0, 0, 900, 500), 96, false).f, 16);
    EXPECT_EQ(CVKGrafAktual::ComputeLayout(QRect(0, 0, 1000, 900), 96, false).f, 18);
}

TEST(VKGrafAktual, MarkerFollowsTheTimeWithinTheAxis)
{
    EXPECT_EQ(CVKGrafAktual::MarkerPosition(1800, 3600), 15000);
    EXPECT_EQ(CVKGrafAktual::MarkerPosition(0, 3600), 0);
    EXPECT_EQ(CVKGrafAktual::MarkerPosition(7200, 3600), 30000);
    EXPECT_EQ(CVKGrafAktual::MarkerPosition(-5, 3600), 0);
    EXPECT_EQ(CVKGrafAktual::MarkerPosition(10, 0), 0);
}

TEST(VKGrafAktual, QuantityTable)
{
    EXPECT_STREQ(CVKGrafAktual::QuantityAt(11).name, "T");
    EXPECT_EQ(CVKGrafAktual::QuantityAt(11).group, 4);
    EXPECT_EQ(CVKGrafAktual::QuantityAt(11).category, 6);
    EXPECT_EQ(CVKGrafAktual::QuantityAt(18).group, 5);
    EXPECT_EQ(CVKGrafAktual::QuantityAt(18).category, 4);
    EXPECT_EQ(CVKGrafAktual::QuantityAt(30).category, 5);
    EXPECT_EQ(CVKGrafAktual::QuantityAt(0).colour, 132u | (13u << 8) | (8u << 16));
    EXPECT_STREQ(CVKGrafAktual::QuantityAt(36).name, "3S");
}

class VKGrafOnline : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVK);
        entry->m_nazev = QStringLiteral("Rozvodna");
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    QTemporaryDir dir;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKGrafOnline, FirstBindingShowsVoltagesAndCurrentsAndKeepsTheChoice)
{
    {
        CVKGrafAktual graph;
        graph.resize(600, 300);
        graph.AttachOnline(*entry);
        std::array<int, 36> shown{};
        std::array<std::uint32_t, 36> colours{};
        graph.GetAllQuantities(shown, colours);
        for (int i = 0; i < 36; ++i)
            EXPECT_EQ(shown[i], i < 6 ? 1 : 0) << i; // I4 is not in the list
        EXPECT_EQ(platform::Settings().GetProfileInt({QStringLiteral("pristroje"), QStringLiteral("Rozvodna")},
                                                     QStringLiteral("init"), 0),
                  1);
        EXPECT_EQ(graph.SetQuantity(10, 1, 0x0000FF), 1); // "Fr" comes
        EXPECT_EQ(graph.SetQuantity(10, 1, 0x00FF00), 0); // only a new colour
        EXPECT_EQ(graph.SetQuantity(0, 0, 0), 1);         // "U1" goes
        EXPECT_NE(entry->GetArchivData()->SeriesRegistry().FindGraphSeries(u"Fr"), nullptr);
        graph.SaveSettings();
        // Drawn without data: the frame and axes, no crash.
        const QImage image = graph.RenderImage();
        EXPECT_EQ(image.pixelColor(0, 0).isValid(), true);
        graph.Detach();
        EXPECT_EQ(entry->GetArchivData()->SeriesRegistry().FindGraphSeries(u"Fr"), nullptr);
    }
    CVKGrafAktual again;
    again.AttachOnline(*entry);
    int shown = 0;
    std::uint32_t colour = 0;
    ASSERT_TRUE(again.GetQuantity(10, shown, colour));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(colour, 0x00FF00u);
    ASSERT_TRUE(again.GetQuantity(0, shown, colour));
    EXPECT_EQ(shown, 0);
    again.Detach();
}

} // namespace

#include "analysers_vk/VKRangeBox.h"
#include "analysers_vk/VKZobrazeneVelicinyDlg.h"
#include "charts_core/GraphTrace.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {

using analysers_vk::CVKZobrazeneVelicinyDlg;

TEST_F(VKGrafOnline, DisplayedQuantitiesDialogExchangesWithTheGraph)
{
    CVKGrafAktual graph;
    CVKZobrazeneVelicinyDlg unbound;
    EXPECT_FALSE(unbound.LoadFromGraph(graph));

    graph.AttachOnline(*entry);
    CVKZobrazeneVelicinyDlg dialog;
    ASSERT_TRUE(dialog.LoadFromGraph(graph));
    EXPECT_TRUE(dialog.Box(0)->isChecked());
    EXPECT_TRUE(dialog.Box(5)->isChecked());
    EXPECT_FALSE(dialog.Box(10)->isChecked());
    // No identification with variant bit 0: no temperature.
    EXPECT_FALSE(dialog.Box(11)->isEnabled());
    dialog.Box(11)->setChecked(true);

    // Nothing chosen: refused with the message, U1 checked again.
    for (int i = 0; i < CVKZobrazeneVelicinyDlg::kCount; ++i)
        if (dialog.Box(i))
            dialog.Box(i)->setChecked(false);
    {
        ui::ScriptedMessageBoxes boxes;
        dialog.accept();
        ASSERT_EQ(boxes.Requests().size(), 1u);
        EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."));
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(dialog.Box(0)->isChecked());
    }
    dialog.Box(10)->setChecked(true);
    dialog.Box(11)->setChecked(true);
    dialog.SetColour(10, 0x123456);
    dialog.ImportExport()->setChecked(true);
    dialog.StoreToGraph(graph);
    int shown = 0;
    std::uint32_t colour = 0;
    graph.GetQuantity(10, shown, colour);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(colour, 0x123456u);
    graph.GetQuantity(11, shown, colour);
    EXPECT_EQ(shown, 0);
    graph.GetQuantity(3, shown, colour);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(graph.IsOdbDod(), 1);
    graph.Detach();
}

} // namespace

namespace {

// Ranges the user chose for one instrument stay with it: after the window is
// closed and the instrument bound anew, the axes stand where they were set,
// while another instrument keeps the family's automatic ranges.
TEST_F(VKGrafOnline, StoredRangesComeBackWithTheInstrument)
{
    {
        CVKGrafAktual graph;
        graph.AttachOnline(*entry);
        CVKZobrazeneVelicinyDlg dialog;
        ASSERT_TRUE(dialog.LoadFromGraph(graph));
        dialog.Box(10)->setChecked(true); // "Fr"
        dialog.Ranges()->Automatic()->setChecked(false);
        dialog.Ranges()->Minimum(3)->setText(QStringLiteral("45"));
        dialog.Ranges()->Maximum(3)->setText(QStringLiteral("55"));
        dialog.accept();
        ASSERT_EQ(dialog.result(), QDialog::Accepted);
        dialog.StoreToGraph(graph);
        graph.SaveSettings();
        graph.Detach();
    }
    const platform::SettingsSection device({QStringLiteral("pristroje"), QStringLiteral("Rozvodna")});
    EXPECT_EQ(platform::Settings().GetProfileInt(device, QStringLiteral("pocetKat"), 0), 14);
    EXPECT_EQ(platform::Settings().GetProfileInt(device, QStringLiteral("auto"), 1), 0);
    EXPECT_EQ(platform::Settings().GetProfileInt(device, QStringLiteral("typ"), 0), 7);

    struct Case {
        const char* name;
        float minimum, maximum;
    };
    const Case cases[] = {{"Rozvodna", 45.f, 55.f}, {"Trafostanice", 40.f, 85.f}};
    for (const Case& c : cases) {
        CPristroj reopened(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVK);
        reopened.m_nazev = QString::fromLatin1(c.name);
        CVKGrafAktual graph;
        graph.AttachOnline(reopened);
        graph.SetQuantity(10, 1, 0x0000FF);
        const CGraphTrace* frequency = reopened.GetArchivData()->SeriesRegistry().FindGraphSeries(u"Fr");
        ASSERT_NE(frequency, nullptr) << c.name;
        EXPECT_EQ(frequency->Minimum(), c.minimum) << c.name;
        EXPECT_EQ(frequency->Maximum(), c.maximum) << c.name;
        graph.Detach();
    }
}

} // namespace
