// The statistics period dialogs: fields as the tabs object wrote them, and
// the settings button that edits the settings record and recomputes only
// after OK.
#include "charts/StatPeriodDlg.h"
#include "charts/StatQorinSettingsDlg.h"
#include "charts/StatSettingsDlg.h"
#include "charts_stats/VKTStatResult.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// Answers the next modal dialog: picks the second window's 10 minutes and
// presses OK, or cancels.
template <class Dialog>
void AnswerNextDialog(bool ok, bool* seen)
{
    QTimer::singleShot(0, [ok, seen] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        *seen = dialog != nullptr;
        if (!dialog)
            return;
        dialog->template findChild<QComboBox*>(QStringLiteral("32078"))->setCurrentIndex(2);
        if (ok)
            dialog->accept();
        else
            dialog->reject();
    });
}

QString Field(QWidget& dialog, int id)
{
    return dialog.findChild<QLineEdit*>(QString::number(id))->text();
}

TEST(StatPeriodDlg, ShowsWhatTheTabsWroteLast)
{
    CQorinPeriodDlg dialog;
    for (int id : {32017, 32022, 32018, 32019, 32021, 32023})
        EXPECT_EQ(Field(dialog, id), QString()) << id;
    dialog.periodStart = QStringLiteral("01.02.2009 10:00:00");
    dialog.periodEnd = QStringLiteral("02.02.2009 10:00:00");
    dialog.total = QStringLiteral("24:00:00");
    dialog.recordDuration = QStringLiteral("23:59:00");
    dialog.recordInterval = QStringLiteral("60 s");
    dialog.powerFactor = QStringLiteral("0.98/0.95");
    EXPECT_EQ(Field(dialog, 32017), QString());
    dialog.UpdateData();
    EXPECT_EQ(Field(dialog, 32017), QStringLiteral("01.02.2009 10:00:00"));
    EXPECT_EQ(Field(dialog, 32022), QStringLiteral("02.02.2009 10:00:00"));
    EXPECT_EQ(Field(dialog, 32019), QStringLiteral("23:59:00"));
    EXPECT_EQ(Field(dialog, 32023), QStringLiteral("0.98/0.95"));
    EXPECT_EQ(dialog.SettingsButton()->toolTip(), QStringLiteral("Nastavení statistiky."));
}

TEST(StatPeriodDlg, TheSettingsButtonRecomputesOnlyAfterOk)
{
    CArchivePeriodDlg dialog(CArchivePeriodDlg::kVKT);
    dialog.show();
    // Without the tabs' settings the button does nothing.
    dialog.SettingsButton()->click();

    CVKTStatSettings settings;
    int recomputed = 0;
    dialog.SetSettings(&settings, [&recomputed] { ++recomputed; });
    bool seen = false;
    AnswerNextDialog<CStatSettingsDlg>(false, &seen);
    dialog.SettingsButton()->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(recomputed, 0);
    EXPECT_EQ(settings.window2, 60);

    AnswerNextDialog<CStatSettingsDlg>(true, &seen);
    dialog.SettingsButton()->click();
    EXPECT_EQ(recomputed, 1);
    EXPECT_EQ(settings.window2, 600);
}

TEST(StatPeriodDlg, EachFamilyOpensItsOwnSettingsDialog)
{
    CVKRPeriodDlg vkr;
    CVKRStatSettings vkrSettings;
    int recomputed = 0;
    vkr.SetSettings(&vkrSettings, [&recomputed] { ++recomputed; });
    bool seen = false;
    AnswerNextDialog<CStatSettingsDlg2>(true, &seen);
    vkr.SettingsButton()->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(vkrSettings.window2, 600);

    CQorinPeriodDlg qorin;
    CQorinStatSettings qorinSettings;
    qorin.SetSettings(&qorinSettings, [&recomputed] { ++recomputed; });
    AnswerNextDialog<CQorinStatSettingsDlg>(true, &seen);
    qorin.SettingsButton()->click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(qorinSettings.window2, 600);
    EXPECT_EQ(recomputed, 2);
}

} // namespace
