#include "ModemDialTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QPushButton>

#include <atomic>
#include <thread>

using modemdialtest::OpenDialog;
using modemdialtest::PumpUntil;

// A busy line as the dialling thread reports it: the dialog comes up on the
// user-interface thread while the main window keeps running, shows the
// caption and "Obsazeno.", and stays up with OK after the thread let go.
TEST(ModemDialDlg, BusyLineShowsItsReasonAndWaitsForOk)
{
    std::atomic<int> stage{0};
    std::thread dialling([&] {
        auto dialog = MakeModemDialogStarter()();
        ASSERT_NE(dialog, nullptr);
        dialog->SetCaption(QStringLiteral("Spojení s modemem"));
        dialog->SetStatus(QStringLiteral("Obsazeno."));
        dialog->Done(IModemDialog::kFinished);
        stage = 1;
        dialog->Close();
        stage = 2;
    });
    // The thread went on without waiting for the dialog, which catches up.
    ASSERT_TRUE(PumpUntil([&] { return stage == 2 && OpenDialog() && OpenDialog()->IsFinished(); }));
    dialling.join();
    CModemDialDlg* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Spojení s modemem"));
    EXPECT_EQ(dialog->StatusText(), QStringLiteral("Obsazeno."));
    EXPECT_EQ(dialog->ButtonText(), QStringLiteral("OK"));
    modemdialtest::ClickButton(dialog);
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
}

// The button cancels the dial while it runs; the dialling thread sees it,
// closes the dialog, and the window cannot be closed under it before.
TEST(ModemDialDlg, CancelIsSeenByTheDiallingThread)
{
    std::atomic<bool> cancelled{false};
    std::atomic<bool> up{false};
    std::atomic<bool> done{false};
    std::thread dialling([&] {
        auto dialog = MakeModemDialogStarter()();
        up = true;
        while (!dialog->QueryCancel())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        cancelled = true;
        dialog->Close();
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return up.load() && OpenDialog() != nullptr; }));
    CModemDialDlg* dialog = OpenDialog();
    const int before = dialog->Picture();
    dialog->Blink();
    EXPECT_NE(dialog->Picture(), before);
    EXPECT_EQ(dialog->ButtonText(), QStringLiteral("Storno"));
    dialog->close(); // a close while dialling only cancels
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    dialling.join();
    EXPECT_TRUE(cancelled);
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
}

// The user-interface thread may itself wait for the dialling thread (an
// instrument started or stopped from the instrument list waits for its
// thread): the dial goes on meanwhile, and its dialog, opened over that
// list, stays when the list is closed.
TEST(ModemDialDlg, TheDialGoesOnWhileTheWindowWaitsAndOutlivesTheDialogItCameFrom)
{
    auto list = std::make_unique<QDialog>();
    list->setModal(true);
    list->show();
    ASSERT_TRUE(PumpUntil([&] { return QApplication::activeModalWidget() == list.get(); }));

    std::atomic<bool> done{false};
    std::thread dialling([&] {
        auto dialog = MakeModemDialogStarter()();
        dialog->SetCaption(QStringLiteral("Spojení s modemem"));
        dialog->SetStatus(QStringLiteral("Obsazeno."));
        dialog->Done(IModemDialog::kFinished);
        dialog->Close();
        done = true;
    });
    // The wait of the user-interface thread, without serving the window.
    const QDeadlineTimer deadline(10000);
    while (!done && !deadline.hasExpired())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(done.load());
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    dialling.join();

    ASSERT_TRUE(PumpUntil([] { return OpenDialog() && OpenDialog()->IsFinished(); }));
    list->done(QDialog::Rejected);
    list.reset();
    QCoreApplication::processEvents();
    CModemDialDlg* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->StatusText(), QStringLiteral("Obsazeno."));
    modemdialtest::ClickButton(dialog);
    EXPECT_TRUE(PumpUntil([] { return OpenDialog() == nullptr; }));
}
