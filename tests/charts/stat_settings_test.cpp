// The statistics settings dialogs: loading and storing the settings
// records, the figures derived while the user types, the window widths and
// the required power factor's positions.
#include "charts/StatQorinSettingsDlg.h"
#include "charts/StatSettingsDlg.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace statsettings;

template <class T>
T* Find(QWidget& dialog, int id)
{
    T* widget = dialog.findChild<T*>(QString::number(id));
    EXPECT_TRUE(widget) << id;
    return widget;
}

void Type(QWidget& dialog, int id, const char* text)
{
    QLineEdit* edit = Find<QLineEdit>(dialog, id);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

void ShowActive(QWidget& dialog)
{
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

QString Text(QWidget& dialog, int id)
{
    return Find<QLineEdit>(dialog, id)->text();
}

TEST(StatSettings, RecordDefaultsLoadAsTheirRoundedFields)
{
    const CVKStatSettings record;
    EXPECT_EQ(record.window1, 60);
    EXPECT_EQ(record.window2, 60);
    EXPECT_FLOAT_EQ(record.nominalVoltage, 230.0f);
    EXPECT_FLOAT_EQ(record.nominalVoltageLine, 398.37167f);
    EXPECT_FLOAT_EQ(record.nominalCurrent, 5.0f);
    EXPECT_FLOAT_EQ(record.nominalPowerPhase, 1150.0f);
    EXPECT_FLOAT_EQ(record.nominalPower, 3450.0f);
    const CFields f = Load(record);
    EXPECT_EQ(f.window1, 0);
    EXPECT_FLOAT_EQ(f.current, 5.0f);
    EXPECT_FLOAT_EQ(f.powerPhase, 1.15f);
    EXPECT_FLOAT_EQ(f.power3, 3.45f);
    EXPECT_FLOAT_EQ(f.voltageLine, 398.4f);
    EXPECT_FLOAT_EQ(f.voltageNeutral, 230.0f);

    // A record without power opens with the dialog's own defaults.
    CVKStatSettings empty;
    empty.nominalPower = 0;
    const CFields d = Load(empty);
    EXPECT_FLOAT_EQ(d.current, 5.0f);
    EXPECT_FLOAT_EQ(d.powerPhase, 1.1f);
    EXPECT_FLOAT_EQ(d.power3, 3.3f);
    EXPECT_FLOAT_EQ(d.voltageLine, 381.05118f);
    EXPECT_FLOAT_EQ(d.voltageNeutral, 220.0f);
}

TEST(StatSettings, WindowWidthsAndPowerFactorPositions)
{
    const int widths[] = {60, 180, 600, 900, 3600, 7200};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(WindowIndexOf(widths[i]), i);
        EXPECT_EQ(WindowWidthAt(i), widths[i]);
    }
    EXPECT_EQ(WindowIndexOf(120), 0);
    EXPECT_EQ(WindowNames().at(4), QStringLiteral("1 hod"));

    struct Position {
        int p;
        const char* text;
    };
    for (const Position& c : {Position{10, "1.00"}, Position{11, "0.99"}, Position{9, "-0.99"}, Position{0, "-0.90"},
                              Position{30, "0.80"}, Position{12, "0.98"}})
        EXPECT_EQ(PowerFactorText(c.p), QString::fromLatin1(c.text)) << c.p;
    for (int p = 0; p <= 30; ++p)
        EXPECT_EQ(PositionOf(PowerFactorAt(p)), p) << p;
    EXPECT_EQ(PositionOf(0.5f), 12);
    EXPECT_EQ(PositionOf(-0.5f), 12);

    struct Typed {
        const char* text;
        int position;
        bool refused;
    };
    for (const Typed& c : {Typed{"0.79", 12, true}, Typed{"1.01", 12, true}, Typed{" -0.95 ", 5, false},
                           Typed{"1", 10, false}, Typed{"0.8", 30, false}, Typed{"abc", 12, true}}) {
        bool refused = false;
        EXPECT_EQ(ParsePowerFactor(QString::fromLatin1(c.text), refused), c.position) << c.text;
        EXPECT_EQ(refused, c.refused) << c.text;
    }
}

TEST(StatSettings, TypingDerivesTheOtherVoltageThePowersAndTheCurrent)
{
    CStatSettingsDlg dialog;
    CVKStatSettings record;
    dialog.Load(record);
    ShowActive(dialog);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Nastavení statistiky"));
    EXPECT_FALSE(Find<QComboBox>(dialog, 1399)->isEnabled());

    // 1.15 kVA a phase and 230 V line to neutral: 4.99 A (truncated).
    Find<QRadioButton>(dialog, 1396)->click();
    EXPECT_TRUE(Find<QLineEdit>(dialog, 32089)->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(dialog, 1398)->isEnabled());
    Type(dialog, 32089, "1.15");
    Type(dialog, 1397, "230");
    EXPECT_EQ(Text(dialog, 32084), QStringLiteral("398.37"));
    EXPECT_EQ(Text(dialog, 32081), QStringLiteral("4.99"));

    Find<QRadioButton>(dialog, 1394)->click();
    EXPECT_TRUE(Find<QLineEdit>(dialog, 32084)->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>(dialog, 1397)->isEnabled());
    Type(dialog, 32084, "400");
    EXPECT_EQ(Text(dialog, 1397), QStringLiteral("230.94"));

    Find<QRadioButton>(dialog, 1395)->click();
    Type(dialog, 1398, "1.1");
    EXPECT_EQ(Text(dialog, 32089), QStringLiteral("0.367"));
    // A half-typed number changes nothing.
    Type(dialog, 1398, "0.");
    EXPECT_EQ(Text(dialog, 32089), QStringLiteral("0.367"));
}

TEST(StatSettings, OkStoresTheRecordAndAnOutOfRangeNumberKeepsTheDialogOpen)
{
    ui::ScriptedMessageBoxes boxes;
    CStatSettingsDlg2 dialog;
    CVKRStatSettings record;
    dialog.Load(record);
    ShowActive(dialog);
    Find<QRadioButton>(dialog, 1396)->click();
    Type(dialog, 32089, "2");
    Find<QComboBox>(dialog, 32077)->setCurrentIndex(2);
    Find<QComboBox>(dialog, 32078)->setCurrentIndex(5);
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.Requests().empty());
    dialog.Store(record);
    EXPECT_EQ(record.window1, 600);
    EXPECT_EQ(record.window2, 7200);
    EXPECT_FLOAT_EQ(record.nominalPowerPhase, 2000.0f);
    EXPECT_EQ(record.nominalPower, record.nominalPowerPhase * 3.0f);
    EXPECT_FLOAT_EQ(record.nominalCurrent, record.nominalPowerPhase / record.nominalVoltage);

    CStatSettingsDlg second;
    second.Load(record);
    ShowActive(second);
    second.setResult(QDialog::Rejected);
    Type(second, 1397, "0.001");
    second.accept();
    EXPECT_EQ(second.result(), QDialog::Rejected);
    ASSERT_EQ(boxes.Requests().size(), 1u);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Zadejte číslo od")));
}

TEST(QorinStatSettings, OwnPowerFactorTypedOrSteppedAndStored)
{
    CQorinStatSettingsDlg dialog;
    CQorinStatSettings record;
    record.fromInstrument = 0;
    record.requiredPowerFactor = 0.95f;
    dialog.Load(record);
    ShowActive(dialog);
    EXPECT_EQ(Text(dialog, 32083), QStringLiteral("0.95"));
    EXPECT_TRUE(dialog.PowerFactorEdit()->isEnabled());

    struct Case {
        const char* typed;
        const char* shown;
    };
    for (const Case& c : {Case{"0.79", "0.98"}, Case{"1.01", "0.98"}, Case{"-0.95", "-0.95"}, Case{"1", "1.00"}}) {
        Type(dialog, 32083, c.typed);
        Find<QComboBox>(dialog, 32077)->setFocus(); // leaves the field
        EXPECT_EQ(Text(dialog, 32083), QString::fromLatin1(c.shown)) << c.typed;
    }
    dialog.PowerFactorSteps()->stepUp();
    EXPECT_EQ(Text(dialog, 32083), QStringLiteral("0.99"));

    // The current follows the three-phase power over the line voltage.
    Type(dialog, 1398, "3.44");
    Type(dialog, 1397, "230");
    EXPECT_EQ(Text(dialog, 32081), QStringLiteral("4.98"));

    Find<QRadioButton>(dialog, 1395)->click();
    EXPECT_FALSE(dialog.PowerFactorEdit()->isEnabled());
    dialog.accept();
    dialog.Store(record);
    EXPECT_EQ(record.fromInstrument, 1);
    EXPECT_FLOAT_EQ(record.requiredPowerFactor, 0.99f);
    EXPECT_FLOAT_EQ(record.nominalPower, 3440.0f);
}

} // namespace
