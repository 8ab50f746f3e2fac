#include "link_ui/TransferProgressDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QThread>

#include <map>
#include <tuple>

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

// The part below the lines: a port chosen from the list or typed in (a
// device path), whether a modem is on it, and the user's word changed by
// the check box, after which the lines are those the program lists then.
TEST(TransferProgressDlg, APortChosenOrTypedInBecomesAModemLineAndStopsBeingOne)
{
    std::map<QString, bool> word{{QStringLiteral("ttyACM0"), true}};
    std::vector<std::tuple<QString, QString, bool>> marked;
    const auto linesNow = [&] {
        std::vector<CTransferProgressDlg::Line> lines;
        for (const auto& [port, modem] : word) {
            if (modem)
                lines.push_back({QStringLiteral("modem (") + port + QLatin1Char(')'), [] { return ModemLineState(); },
                                 {}, {}});
        }
        return lines;
    };
    CTransferProgressDlg dlg(linesNow(), nullptr);
    auto* port = dlg.findChild<QComboBox*>(QString::number(CTransferProgressDlg::IdModemPort));
    auto* onPort = dlg.findChild<QCheckBox*>(QString::number(CTransferProgressDlg::IdModemOnPort));
    ASSERT_NE(port, nullptr);
    ASSERT_NE(onPort, nullptr);
    EXPECT_FALSE(onPort->isEnabled()); // nothing to mark with yet

    CTransferProgressDlg::PortMarks marks;
    marks.ports = {{QStringLiteral("ttyS0"), QStringLiteral("Sériový port")},
                   {QStringLiteral("ttyACM0"), QStringLiteral("ttyACM0")}};
    marks.isModem = [&](const QString& name, const QString&) { return word.count(name) && word[name]; };
    marks.mark = [&](const QString& name, const QString& description, bool modem) {
        marked.emplace_back(name, description, modem);
        word[name] = modem;
        return linesNow();
    };
    dlg.SetPortMarks(marks);
    dlg.show();
    ASSERT_EQ(port->count(), 2);
    EXPECT_EQ(port->itemText(0), QStringLiteral("ttyS0 ( Sériový port )"));
    EXPECT_EQ(port->itemText(1), QStringLiteral("ttyACM0"));
    EXPECT_TRUE(onPort->isEnabled());
    EXPECT_FALSE(onPort->isChecked());
    port->setCurrentIndex(1);
    EXPECT_TRUE(onPort->isChecked());

    // A listed port: its description goes along.
    port->setCurrentIndex(0);
    QTest::mouseClick(onPort, Qt::LeftButton, {}, QPoint(4, onPort->height() / 2));
    ASSERT_EQ(marked.size(), 1u);
    EXPECT_EQ(marked.back(), std::make_tuple(QStringLiteral("ttyS0"), QStringLiteral("Sériový port"), true));
    ASSERT_EQ(dlg.Tabs()->count(), 2);
    EXPECT_EQ(dlg.Tabs()->tabText(1), QStringLiteral("modem (ttyS0)"));

    // A device path typed in.
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), QStringLiteral("/dev/pts/7"));
    EXPECT_FALSE(onPort->isChecked());
    QTest::mouseClick(onPort, Qt::LeftButton, {}, QPoint(4, onPort->height() / 2));
    ASSERT_EQ(marked.size(), 2u);
    EXPECT_EQ(marked.back(), std::make_tuple(QStringLiteral("/dev/pts/7"), QString(), true));
    EXPECT_EQ(dlg.Tabs()->count(), 3);
    EXPECT_TRUE(onPort->isChecked());
    QTest::mouseClick(onPort, Qt::LeftButton, {}, QPoint(4, onPort->height() / 2));
    EXPECT_EQ(marked.back(), std::make_tuple(QStringLiteral("/dev/pts/7"), QString(), false));
    EXPECT_EQ(dlg.Tabs()->count(), 2);
    EXPECT_FALSE(onPort->isChecked());
}

// Ending a call takes seconds in a dialog of its own: the work runs on
// another thread while the user-interface thread serves the windows (the
// hang-up dialog is made and asked there).
TEST(TransferProgressDlg, EndingACallLeavesTheWindowsServed)
{
    ModemLineState connected;
    connected.lineState = 1;
    bool aside = false;
    bool served = false;
    std::vector<CTransferProgressDlg::Line> lines{{QStringLiteral("Modem A"), [&] { return connected; },
                                                   [&] {
                                                       aside = QThread::currentThread() != qApp->thread();
                                                       if (aside)
                                                           QMetaObject::invokeMethod(
                                                               qApp, [&] { served = true; },
                                                               Qt::BlockingQueuedConnection);
                                                       connected.lineState = 0;
                                                   },
                                                   {}}};
    CTransferProgressDlg dlg(lines, nullptr);
    auto* hangUp = dlg.findChild<QPushButton*>(QString::number(CTransferProgressDlg::IdHangUp));
    hangUp->click();
    EXPECT_TRUE(aside);
    EXPECT_TRUE(served);
    EXPECT_EQ(dlg.Shown().state, QStringLiteral("Modem není spojen - není požadován."));
    EXPECT_FALSE(hangUp->isEnabled());
}
