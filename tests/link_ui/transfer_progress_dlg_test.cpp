#include "link_ui/TransferProgressDlg.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTabBar>

// One tab per line; the chosen line's state, call and totals; hang-up only
// for a connected line; the buttons reach the line.
TEST(TransferProgressDlg, TabsShowEachLineAndTheButtonsReachIt)
{
    const CTime now(2024, 3, 10, 12, 0, 0);
    ModemLineState connected;
    connected.lineState = 1;
    connected.bytes = 2048 + 511;
    connected.connectTime = CTime(2024, 3, 10, 10, 58, 55);
    connected.totalKB = 40;
    connected.totalSeconds = 3723;
    connected.links = 2;
    ModemLineState idle;
    int hangUps = 0, resets = 0;
    std::vector<CTransferProgressDlg::Line> lines{
        {QStringLiteral("Modem A"), [&] { return connected; }, [&] { ++hangUps; }, [&] { ++resets; }},
        {QStringLiteral("Modem B"), [&] { return idle; }, [&] { ++hangUps; }, [&] { ++resets; }},
    };
    CTransferProgressDlg dlg(lines, nullptr, [now] { return now; });
    ASSERT_EQ(dlg.Tabs()->count(), 2);
    EXPECT_EQ(dlg.Tabs()->tabText(1), QStringLiteral("Modem B"));
    EXPECT_EQ(dlg.Shown().state, QStringLiteral("Modem je spojen."));
    EXPECT_EQ(dlg.Shown().callAmount, QStringLiteral("2 kB"));
    EXPECT_EQ(dlg.Shown().callDuration, QStringLiteral("1 h,1 m,5 s"));
    EXPECT_EQ(dlg.Shown().totalDuration, QStringLiteral("1 hodin,2 minut,3 sekund"));
    EXPECT_EQ(dlg.Shown().links, QStringLiteral("2"));
    auto* hangUp = dlg.findChild<QPushButton*>(QString::number(CTransferProgressDlg::IdHangUp));
    EXPECT_TRUE(hangUp->isEnabled());
    hangUp->click();
    EXPECT_EQ(hangUps, 1);

    dlg.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(dlg.Shown().state, QStringLiteral("Modem není spojen - není požadován."));
    EXPECT_EQ(dlg.Shown().callAmount, QStringLiteral("--"));
    EXPECT_FALSE(hangUp->isEnabled());
    dlg.findChild<QPushButton*>(QString::number(CTransferProgressDlg::IdResetCounters))->click();
    EXPECT_EQ(resets, 1);

    CTransferProgressDlg none({}, nullptr);
    EXPECT_EQ(none.Tabs()->count(), 0);
}
