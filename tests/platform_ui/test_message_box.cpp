#include "platform/ui/MessageBox.h"
#include "platform/ui/ThreadQuestions.h"
#include "support/ScriptedMessageBoxes.h"

#include "support/WaitUntil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

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

// What a thread asks and waits on: a question whose first answer would
// replace a file.
ui::MessageBoxRequest Question(const QString& text)
{
    return {nullptr, text, QStringLiteral("INFO"), MsgButtons::YesNo, MsgIcon::Question};
}

// A thread that asks `text` and waits for the answer.
class Asker {
public:
    explicit Asker(const QString& text)
        : m_thread([this, text] {
              m_answer = ui::AskAndWait(Question(text), true);
              m_done = true;
          })
    {
    }
    ~Asker()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    Asker(const Asker&) = delete;
    Asker& operator=(const Asker&) = delete;

    bool Done() const { return m_done.load(); }
    // Until the thread has its answer, the GUI thread's events handled.
    bool AwaitAnswer(const std::function<void()>& meanwhile = [] { QCoreApplication::processEvents(); })
    {
        return testsupport::WaitUntil([&] {
            meanwhile();
            return Done();
        });
    }
    std::optional<MsgAnswer> Answer()
    {
        m_thread.join();
        return m_answer;
    }

private:
    std::optional<MsgAnswer> m_answer;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// Answers every real box that comes up, from a timer that also runs inside
// the boxes' own loops, and notes what each box was and whether the
// asking threads were all still waiting while it stood.
class BoxHand {
public:
    struct Seen {
        QString text;
        bool noIsDefault;
        bool askersWaited;
    };
    using Answer = std::function<void(QMessageBox&)>;

    BoxHand(std::vector<Answer> answers, std::vector<const Asker*> askers = {})
        : m_answers(std::move(answers)), m_askers(std::move(askers))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box == m_last || m_next >= m_answers.size())
                return;
            m_last = box;
            const QAbstractButton* preset = box->defaultButton();
            seen.push_back({box->text(), preset && preset == box->button(QMessageBox::No),
                            std::none_of(m_askers.begin(), m_askers.end(), [](const Asker* a) { return a->Done(); })});
            m_answers[m_next++](*box);
        });
        m_timer.start(10);
    }

    std::vector<Seen> seen;

private:
    std::vector<Answer> m_answers;
    std::vector<const Asker*> m_askers;
    std::size_t m_next = 0;
    QPointer<QMessageBox> m_last;
    QTimer m_timer;
};

BoxHand::Answer Click(QMessageBox::StandardButton which)
{
    return [which](QMessageBox& box) { QTest::mouseClick(box.button(which), Qt::LeftButton); };
}

// A question from a measurement or download thread reaches the user as a
// real box on the GUI thread, and the thread goes on with the user's answer,
// whichever it is; Enter and Escape give No.
TEST(ThreadQuestions, TheAskingThreadGetsTheAnswerGivenInTheBox)
{
    struct Case {
        BoxHand::Answer answer;
        MsgAnswer expected;
    };
    const Case cases[] = {
        {Click(QMessageBox::Yes), MsgAnswer::Yes},
        {Click(QMessageBox::No), MsgAnswer::No},
        {[](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, MsgAnswer::No},
        {[](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, MsgAnswer::No},
    };
    for (const Case& c : cases) {
        Asker asker(QStringLiteral("Přepsat?"));
        BoxHand hand({c.answer}, {&asker});
        EXPECT_TRUE(asker.AwaitAnswer());
        EXPECT_EQ(asker.Answer(), c.expected);
        ASSERT_EQ(hand.seen.size(), 1u);
        EXPECT_EQ(hand.seen[0].text, QStringLiteral("Přepsat?"));
        EXPECT_TRUE(hand.seen[0].noIsDefault);
        EXPECT_TRUE(hand.seen[0].askersWaited);
    }
}

// Two threads asking at once each get their own answer, also when the GUI
// thread is not in its event loop but waits for them (it shows their
// questions from inside its wait).
TEST(ThreadQuestions, AGuiThreadWaitingForAskersShowsTheirQuestions)
{
    const BoxHand::Answer byText = [](QMessageBox& box) {
        QTest::mouseClick(box.button(box.text() == QStringLiteral("první") ? QMessageBox::Yes : QMessageBox::No),
                          Qt::LeftButton);
    };
    Asker first(QStringLiteral("první"));
    Asker second(QStringLiteral("druhý"));
    BoxHand hand({byText, byText});
    const auto serve = [] { ui::ServeWaitingQuestions(); };
    EXPECT_TRUE(first.AwaitAnswer(serve));
    EXPECT_TRUE(second.AwaitAnswer(serve));
    EXPECT_EQ(first.Answer(), MsgAnswer::Yes);
    EXPECT_EQ(second.Answer(), MsgAnswer::No);
    ASSERT_EQ(hand.seen.size(), 2u);
    EXPECT_NE(hand.seen[0].text, hand.seen[1].text);
    QCoreApplication::processEvents(); // the posted turns find nothing left to show
    EXPECT_EQ(hand.seen.size(), 2u);
}

// When the program ends nobody may be left to answer: a thread waiting on
// a box still open hears No whatever the box is answered later, and one
// that asks afterwards hears No without a box, so the threads that are
// awaited next can end.
TEST(ThreadQuestions, RefusedQuestionsGetNo)
{
    int shown = 0;
    ui::MessageBoxHandler previous = ui::SetMessageBoxHandler([&](const ui::MessageBoxRequest&) {
        ++shown;
        ui::RefuseThreadQuestions(true); // the way out begins while the box stands
        return MsgAnswer::Yes;
    });
    Asker waiting(QStringLiteral("čeká"));
    EXPECT_TRUE(waiting.AwaitAnswer());
    Asker later(QStringLiteral("později"));
    EXPECT_TRUE(later.AwaitAnswer([] {}));
    QCoreApplication::processEvents();
    ui::RefuseThreadQuestions(false);
    ui::SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(waiting.Answer(), MsgAnswer::No);
    EXPECT_EQ(later.Answer(), MsgAnswer::No);
    EXPECT_EQ(shown, 1);
}

} // namespace
