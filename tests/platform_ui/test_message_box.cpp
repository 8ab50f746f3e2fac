#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

namespace {

using ui::MsgAnswer;
using ui::MsgButtons;
using ui::MsgIcon;

TEST(MessageBoxSeam, ScriptAnswersInOrderWithTheSystemCaptions)
{
    ui::ScriptedMessageBoxes boxes(MsgAnswer::Cancel);
    boxes.Answer(MsgAnswer::Yes);
    boxes.Answer(MsgAnswer::Retry);
    EXPECT_EQ(ui::ErrorBox(nullptr, QStringLiteral("Přístroj neodpovídá !"), MsgButtons::YesNo), MsgAnswer::Yes);
    EXPECT_EQ(ui::InfoBox(nullptr, QStringLiteral("Opravdu?"), MsgButtons::YesNo, MsgIcon::Question), MsgAnswer::Retry);
    EXPECT_EQ(ui::ShowMessageBox(nullptr, QStringLiteral("x"), QStringLiteral("y")), MsgAnswer::Cancel);

    const auto& r = boxes.Requests();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].caption, QStringLiteral("CHYBA"));
    EXPECT_EQ(r[0].icon, MsgIcon::Warning);
    EXPECT_EQ(r[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(r[0].text, QStringLiteral("Přístroj neodpovídá !"));
    EXPECT_EQ(r[1].caption, QStringLiteral("INFO"));
    EXPECT_EQ(r[1].icon, MsgIcon::Question);
    EXPECT_EQ(r[2].caption, QStringLiteral("y"));
}

TEST(MessageBoxSeam, NestedScriptsRestoreTheOuterOne)
{
    ui::ScriptedMessageBoxes outer(MsgAnswer::No);
    {
        ui::ScriptedMessageBoxes inner(MsgAnswer::Yes);
        EXPECT_EQ(ui::InfoBox(nullptr, QStringLiteral("a")), MsgAnswer::Yes);
    }
    EXPECT_EQ(ui::InfoBox(nullptr, QStringLiteral("b")), MsgAnswer::No);
    ASSERT_EQ(outer.Requests().size(), 1u);
    EXPECT_EQ(outer.Requests()[0].text, QStringLiteral("b"));
}

TEST(MessageBoxSeam, ABackgroundThreadOnlyPostsTheBox)
{
    std::vector<QThread*> shownOn;
    ui::MessageBoxHandler previous = ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest& request) {
        shownOn.push_back(QThread::currentThread());
        EXPECT_EQ(request.caption, QStringLiteral("CHYBA"));
        return MsgAnswer::Ok;
    });
    MsgAnswer answer = MsgAnswer::Ok;
    std::thread worker([&] { answer = ui::ErrorBox(nullptr, QStringLiteral("Chyba zápisu")); });
    worker.join();
    EXPECT_EQ(answer, MsgAnswer::Cancel);
    EXPECT_TRUE(shownOn.empty());

    QCoreApplication::processEvents();
    ASSERT_EQ(shownOn.size(), 1u);
    EXPECT_EQ(shownOn[0], QCoreApplication::instance()->thread());
    ui::SetMessageBoxHandler(std::move(previous));
}

} // namespace
