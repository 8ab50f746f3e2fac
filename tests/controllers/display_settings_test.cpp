// The displayed-quantities dialogs and the controller pages of the general
// settings: defaults, the signed power factor ranges, range checks, the
// at-least-one rule, group boxes and what the pages store.
#include "archive/store/ArchivData.h"
#include "controllers/graph/DisplaySettingsForm.h"
#include "controllers/graph/DisplayedQuantitiesDlg.h"
#include "controllers/graph/DuskarDisplayDlg.h"
#include "controllers/graph/ONDuskar.h"
#include "controllers/graph/ONQorin.h"
#include "controllers/graph/QuantityGraphWnd.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace controllers;

namespace {

class DisplaySettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    static QLineEdit* Edit(CDisplaySettingsForm& form, int id) { return static_cast<QLineEdit*>(form.Control(id)); }
    static QCheckBox* Check(CDisplaySettingsForm& form, int id) { return static_cast<QCheckBox*>(form.Control(id)); }

    QTemporaryDir dir;
};

TEST_F(DisplaySettings, QorinPageOnAFreshRegistryAndWhatItStores)
{
    CONQorin page;
    platform::Settings settings;
    page.Load(settings);
    CDisplaySettingsForm& form = *page.Form();
    // cos, THD, RMS, active, reactive
    const std::uint32_t colours[5] = {0, 0xFF0000, 0x992299, 255, 65280};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(form.Colour(i), colours[i]) << i;
        EXPECT_TRUE(form.Box(i)->isChecked()) << i;
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(page.Panel(i)->isChecked()) << i;
    EXPECT_FALSE(Check(form, 1029)->isChecked());
    EXPECT_TRUE(Check(form, 1087)->isChecked());
    EXPECT_FALSE(Edit(form, 1022)->isEnabled()); // automatic: the ranges are off
    EXPECT_EQ(Edit(form, 1022)->text(), QStringLiteral("0"));
    EXPECT_EQ(Edit(form, 1282)->text(), QStringLiteral("0"));

    Check(form, 1087)->click();
    EXPECT_TRUE(Edit(form, 1022)->isEnabled());
    Edit(form, 1022)->setText(QStringLiteral("-0.5"));
    Edit(form, 1282)->setText(QStringLiteral("0.3"));
    page.Panel(3)->click(); // "Přístroj" off
    ASSERT_TRUE(page.OnKillActive());
    page.Save(settings);
    const platform::SettingsSection general("Obecne nastaveni");
    EXPECT_EQ(settings.GetProfileInt(general, QStringLiteral("qorinPocetKat"), 0), 6);
    EXPECT_EQ(settings.GetProfileInt(general, QStringLiteral("qorinAuto"), 1), 0);
    EXPECT_EQ(settings.GetProfileInt(general, QStringLiteral("isNahled"), 1), 0);
    const QByteArray bytes = settings.GetProfileBinary(general, QStringLiteral("qorinKetegorie"));
    ASSERT_EQ(bytes.size(), 24);
    float stored[6];
    std::memcpy(stored, bytes.constData(), 24);
    // The displayed -0.5 .. 0.3 is the category 0.5 .. 1.7.
    EXPECT_FLOAT_EQ(stored[0], 0.5f);
    EXPECT_FLOAT_EQ(stored[1], 1.7f);

    // Loaded again the signed form comes back.
    CONQorin again;
    again.Load(settings);
    EXPECT_EQ(Edit(*again.Form(), 1022)->text(), QStringLiteral("-0.5"));
    EXPECT_EQ(Edit(*again.Form(), 1282)->text(), QStringLiteral("0.3"));
    EXPECT_FALSE(again.Panel(3)->isChecked());
}

TEST_F(DisplaySettings, RangeChecksKeepTheDialogOpen)
{
    struct Case {
        bool duskar;
        int minEdit, maxEdit;
        const char* minimum;
        const char* maximum;
        const char* message; // empty: accepted
    };
    const Case cases[] = {
        {false, 1022, 1282, "-0.5", "0.3", ""},
        {false, 1022, 1282, "0.2", "0.5", "cos: u cosinu musí být maximum kladné a minimum záporné"},
        {false, 1022, 1282, "-1.5", "0.5", "cos: minimální mez je menší než -1.000000 "},
        // The whole signed range is allowed, though it folds to 1 .. 1.
        {false, 1022, 1282, "-1", "1", ""},
        {false, 1022, 1282, "-1", "1.01", "cos: maximální mez je větší než 1.000000"},
        {false, 1024, 1284, "-1", "50", "THD: minimální mez je menší než 0.000000 "},
        {false, 1023, 1283, "5", "5", "I: minimální mez musí být menší naž maximální"},
        {false, 1023, 1283, "x", "5", "I: zadejte číslo"},
        {true, 1020, 1082, "30", "60", "f: minimální mez je menší než 35.000000 "},
        {true, 1019, 1081, "-0.995", "0.5", "cos/PF: minimální mez je menší než -0.990000 "},
        {true, 1022, 1084, "0", "900", "THD: maximální mez je větší než 850.000000"},
        {true, 1019, 1081, "-0.5", "0.5", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.duskar ? "Duskar " : "Qorin ") << c.minimum << ".." << c.maximum);
        ui::ScriptedMessageBoxes boxes;
        std::unique_ptr<QDialog> dlg;
        CDisplaySettingsForm* form = nullptr;
        if (c.duskar) {
            auto* d = new CDuskarDisplayDlg;
            d->LoadDefaults();
            form = d->Form();
            dlg.reset(d);
        } else {
            auto* d = new CDisplayedQuantitiesDlg;
            d->LoadDefaults();
            form = d->Form();
            dlg.reset(d);
        }
        Check(*form, 1087)->setChecked(false);
        Edit(*form, c.minEdit)->setText(QString::fromUtf8(c.minimum));
        Edit(*form, c.maxEdit)->setText(QString::fromUtf8(c.maximum));
        dlg->show();
        dlg->accept();
        if (*c.message == 0) {
            EXPECT_EQ(dlg->result(), QDialog::Accepted);
            EXPECT_TRUE(boxes.Requests().empty());
        } else {
            EXPECT_NE(dlg->result(), QDialog::Accepted);
            ASSERT_EQ(boxes.Requests().size(), 1u);
            EXPECT_EQ(boxes.Requests()[0].text, QString::fromUtf8(c.message));
            EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
        }
    }
}

TEST_F(DisplaySettings, TheLastCurveStaysOn)
{
    ui::ScriptedMessageBoxes boxes;
    CDisplayedQuantitiesDlg dlg;
    dlg.LoadDefaults();
    CDisplaySettingsForm& form = *dlg.Form();
    for (int i = 0; i < 4; ++i)
        form.Box(i)->click();
    EXPECT_TRUE(boxes.Requests().empty());
    form.Box(4)->click(); // the last one
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_EQ(boxes.Requests()[0].text, QStringLiteral("Graf musí obsahovat minimálně jednu veličinu."));
    EXPECT_EQ(boxes.Requests()[0].caption, QStringLiteral("CHYBA"));
    EXPECT_TRUE(form.Box(0)->isChecked()); // cos comes back
    // The stage box takes no part.
    Check(form, 1021)->click();
    EXPECT_EQ(boxes.Requests().size(), 1u);
}

TEST_F(DisplaySettings, DuskarGroupBoxes)
{
    ui::ScriptedMessageBoxes boxes;
    CONDuskar page;
    platform::Settings settings;
    page.Load(settings);
    CDisplaySettingsForm& form = *page.Form();
    // Fresh: Cos, U, Pac, Pre, Ieff; Iact hidden on the page.
    EXPECT_FALSE(form.Box(7)->isChecked());
    EXPECT_EQ(form.GroupState(0), 2);  // Cos, U shown, f not
    EXPECT_EQ(form.GroupState(2), 2);
    EXPECT_EQ(form.GroupState(3), 0);
    Check(form, 1387)->click(); // "I": mixed counts as off, so all on
    for (int i = 6; i <= 9; ++i)
        EXPECT_TRUE(form.Box(i)->isChecked()) << i;
    EXPECT_EQ(form.GroupState(2), 1);
    EXPECT_EQ(Check(form, 1387)->checkState(), Qt::Checked);
    Check(form, 1387)->click(); // all on: off
    Check(form, 1386)->click(); // P: mixed, so on
    Check(form, 1386)->click(); // and off
    // Only "Cos,U,..." is left: turning it off brings cos back, mixed.
    Check(form, 1368)->click(); // mixed: all on
    Check(form, 1368)->click(); // all off
    EXPECT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(form.Box(0)->isChecked());
    EXPECT_FALSE(form.Box(1)->isChecked());
    EXPECT_EQ(form.GroupState(0), 2);
    EXPECT_EQ(Check(form, 1368)->checkState(), Qt::PartiallyChecked);

    // The dialog's "Výchozí" shows Iact.
    CDuskarDisplayDlg dlg;
    dlg.LoadDefaults();
    EXPECT_TRUE(dlg.Form()->Box(7)->isChecked());

    // After the page's OK: 14 floats, 56 bytes.
    page.Save(settings);
    const platform::SettingsSection section("Obecne nastaveni Duskar");
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("duskarPocetKat"), 0), 14);
    EXPECT_EQ(settings.GetProfileBinary(section, QStringLiteral("duskarKetegorie")).size(), 56);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isCos"), 0), 1);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isU"), 1), 0);
}

// "Výchozí" takes the family's stored defaults; the Qorin dialog leaves its
// import/export box as it is, the Duskar dialog takes the stored choice.
TEST_F(DisplaySettings, DefaultsButtonTakesTheGeneralSection)
{
    platform::Settings settings;
    const platform::SettingsSection qorin("Obecne nastaveni");
    const platform::SettingsSection duskar("Obecne nastaveni Duskar");
    settings.WriteProfileInt(qorin, QStringLiteral("barva THD"), 0x123456);
    settings.WriteProfileInt(qorin, QStringLiteral("isTHD"), 0);
    settings.WriteProfileInt(qorin, QStringLiteral("isSpinac"), 0);
    settings.WriteProfileInt(duskar, QStringLiteral("barva U"), 0x654321);
    settings.WriteProfileInt(duskar, QStringLiteral("isU"), 0);
    settings.WriteProfileInt(duskar, QStringLiteral("isSpinac"), 0);
    for (const bool isDuskar : {false, true}) {
        SCOPED_TRACE(isDuskar ? "Duskar" : "Qorin");
        std::unique_ptr<CGraphQuantitiesDlg> dlg;
        if (isDuskar)
            dlg = std::make_unique<CDuskarDisplayDlg>();
        else
            dlg = std::make_unique<CDisplayedQuantitiesDlg>();
        CDisplaySettingsForm& form = *dlg->Form();
        CDisplaySettingsForm::Values before = form.GetValues();
        before.importExport = 1;
        form.SetValues(before);
        dlg->findChild<QPushButton*>(QStringLiteral("1367"))->click();
        // Row 1: the Qorin's THD, the Duskar's U.
        EXPECT_EQ(form.Colour(1), isDuskar ? 0x654321u : 0x123456u);
        EXPECT_FALSE(form.Box(1)->isChecked());
        EXPECT_TRUE(form.Box(0)->isChecked());
        const CDisplaySettingsForm::Values after = form.GetValues();
        EXPECT_EQ(after.stages, 0);
        EXPECT_EQ(after.importExport, isDuskar ? 0 : 1);
    }
}

TEST_F(DisplaySettings, QorinDialogEditsTheGraph)
{
    CDisplayedQuantitiesDlg dlg;
    CQuantityGraphWnd unbound;
    EXPECT_FALSE(dlg.LoadFromGraph(unbound));

    auto entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, int(CPristroj::kQorin));
    entry->m_nazev = QStringLiteral("Kompenzace");
    CQuantityGraphWnd graph;
    graph.AttachDevice(*entry);
    ASSERT_TRUE(dlg.LoadFromGraph(graph));
    CDisplaySettingsForm& form = *dlg.Form();
    // A click on the THD swatch picks a colour through the chooser.
    const auto previous = CDisplaySettingsForm::SetColourChooser([](QColor& c, QWidget*) {
        c = QColor(0, 128, 255);
        return true;
    });
    QWidget* swatch = form.Control(1109);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, QPointF(3, 3), swatch->mapToGlobal(QPointF(3, 3)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(swatch, &click);
    }
    CDisplaySettingsForm::SetColourChooser(previous);
    EXPECT_EQ(form.Colour(1), 0xFF8000u);
    form.Box(2)->click(); // RMS current off
    Check(form, 1029)->click();
    Check(form, 1087)->click();
    Edit(form, 1022)->setText(QStringLiteral("-0.5"));
    Edit(form, 1282)->setText(QStringLiteral("0.3"));
    ASSERT_TRUE(form.Validate());
    EXPECT_FALSE(dlg.StoreToGraph(graph)); // a curve went
    EXPECT_FALSE(graph.CurveVisible(CQuantityGraphWnd::kCurrent));
    EXPECT_EQ(graph.ImportExport(), 1);
    int shown = 0;
    std::uint32_t colour = 0;
    graph.GetCurveColor(CQuantityGraphWnd::kThd, shown, colour);
    EXPECT_EQ(colour, 0xFF8000u);
    float minimum = 0, maximum = 0;
    ASSERT_TRUE(entry->GetArchivData()->ScaleCategories().GetRange(0, minimum, maximum));
    EXPECT_FLOAT_EQ(minimum, 0.5f);
    EXPECT_FLOAT_EQ(maximum, 1.7f);
    EXPECT_FALSE(entry->GetArchivData()->ScaleCategories().GetAuto());
    // Colours only: nothing changes the series set.
    ASSERT_TRUE(dlg.LoadFromGraph(graph));
    EXPECT_TRUE(dlg.StoreToGraph(graph));
}

} // namespace
