#include "charts/ArchivRangeBar.h"

#include "platform/StringTable.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DialogUnits.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QLabel>
#include <QTabBar>
#include <QToolButton>

#include <gtest/gtest.h>

using platform::CTime;
using platform::CTimeSpan;

namespace {

class ArchiveView : public QWidget, public platform::MessageDispatcher {
public:
    std::vector<std::pair<platform::MessageId, std::uintptr_t>> messages;
    CTime windowFrom;
    CTime windowTo;
    class CGraphRangeBar* bar = nullptr;

    ArchiveView()
    {
        for (platform::MessageId id : {platform::WM_ARCHIVE_REDRAW, platform::WM_ARCHIVE_SET_WINDOW,
                                       platform::WM_ARCHIVE_REFILL, platform::WM_ARCHIVE_PRINT_GRAPH,
                                       platform::WM_ARCHIVE_PRINT_LIST})
            SetMessageHandler(id, [this, id](std::uintptr_t w, std::intptr_t) {
                messages.emplace_back(id, w);
                if (id == platform::WM_ARCHIVE_SET_WINDOW)
                    bar->GetRange(windowFrom, windowTo);
                return 0;
            });
    }
    bool event(QEvent* e) override { return DispatchMessageEvent(e) || QWidget::event(e); }
};

class RangeBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        bar = new CGraphRangeBar(&view);
        view.bar = bar;
        view.setAttribute(Qt::WA_DontShowOnScreen, true);
        view.show();
        bar->resize(900, 30);
        bar->SetRange(kStart, kStart + CTimeSpan(60 * 86400));
        bar->SetLimits(kStart, kStart + CTimeSpan(86400));
        view.messages.clear();
    }
    QDateTimeEdit* Edit(int id) const { return static_cast<QDateTimeEdit*>(bar->Control(id)); }
    QToolButton* Button(int id) const { return static_cast<QToolButton*>(bar->Control(id)); }
    void Focus(int id, QEvent::Type type)
    {
        QFocusEvent e(type, Qt::OtherFocusReason);
        QApplication::sendEvent(Edit(id), &e);
    }
    // Types a range into the pickers as a user would and confirms it.
    void Confirm(CTime from, CTime to)
    {
        Focus(CGraphRangeBar::kFromDate, QEvent::FocusIn);
        for (int id : {CGraphRangeBar::kFromDate, CGraphRangeBar::kFromTime})
            Edit(id)->setDateTime(QDateTime::fromSecsSinceEpoch(from.GetTime()));
        for (int id : {CGraphRangeBar::kToDate, CGraphRangeBar::kToTime})
            Edit(id)->setDateTime(QDateTime::fromSecsSinceEpoch(to.GetTime()));
        Focus(CGraphRangeBar::kToTime, QEvent::FocusOut);
        Button(CGraphRangeBar::kConfirm)->click();
    }

    static inline const CTime kStart = CTime(2024, 1, 1, 0, 0, 0);
    ArchiveView view;
    CGraphRangeBar* bar = nullptr;
    ui::ScriptedMessageBoxes boxes;
};

} // namespace

TEST_F(RangeBar, FirstLimitsPutTheRangeInForce)
{
    CGraphRangeBar fresh(&view);
    view.bar = &fresh;
    EXPECT_FALSE(fresh.Confirmed());
    EXPECT_FALSE(fresh.Control(CGraphRangeBar::kPrint)->isEnabled());
    fresh.SetLimits(kStart, kStart + CTimeSpan(3600));
    fresh.SetLimits(kStart, kStart + CTimeSpan(7200));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], std::make_pair(platform::WM_ARCHIVE_REDRAW, std::uintptr_t(1)));
    EXPECT_TRUE(fresh.Confirmed());
    EXPECT_TRUE(fresh.Control(CGraphRangeBar::kPrint)->isEnabled());
    EXPECT_TRUE(fresh.Control(CGraphRangeBar::kConfirm)->isHidden());
    CTime from;
    CTime to;
    fresh.GetRange(from, to);
    EXPECT_EQ(to, kStart + CTimeSpan(7200));
}

TEST_F(RangeBar, ConfirmChecksOrderOverlapAndLength)
{
    struct Case {
        int fromOffset;
        int toOffset;
        int error; // 0: accepted
    };
    const int day = 86400;
    const Case cases[] = {
        {day, day + CGraphRangeBar::kMaxSpan, 0},                          // exactly 31 days
        {day, day + CGraphRangeBar::kMaxSpan + 1, platform::IDS_RANGE_MAX_31_DAYS},
        {day, day, 0},                                                     // from equal to to
        {2 * day, day, platform::IDS_RANGE_START_AFTER_END},
        {61 * day, 62 * day, platform::IDS_RANGE_NO_OVERLAP},              // wholly after the period
        {-2 * day, -day, platform::IDS_RANGE_NO_OVERLAP},                  // wholly before it
    };
    for (const Case& c : cases) {
        view.messages.clear();
        const std::size_t before = boxes.Requests().size();
        Confirm(kStart + CTimeSpan(c.fromOffset), kStart + CTimeSpan(c.toOffset));
        if (c.error == 0) {
            EXPECT_EQ(boxes.Requests().size(), before) << c.toOffset;
            EXPECT_TRUE(bar->Confirmed());
            EXPECT_EQ(view.windowFrom, kStart + CTimeSpan(c.fromOffset));
            EXPECT_EQ(view.windowTo, kStart + CTimeSpan(c.toOffset));
            ASSERT_EQ(view.messages.size(), 3u); // editing, set window, in force
            EXPECT_EQ(view.messages[1].first, platform::WM_ARCHIVE_SET_WINDOW);
            EXPECT_EQ(view.messages[2], std::make_pair(platform::WM_ARCHIVE_REDRAW, std::uintptr_t(1)));
        } else {
            ASSERT_EQ(boxes.Requests().size(), before + 1) << c.fromOffset << ".." << c.toOffset;
            EXPECT_EQ(boxes.Requests().back().text, platform::LoadString(c.error));
            EXPECT_EQ(boxes.Requests().back().caption, QStringLiteral("CHYBA"));
            EXPECT_FALSE(bar->Confirmed());
            EXPECT_FALSE(bar->Control(CGraphRangeBar::kConfirm)->isHidden());
            Button(CGraphRangeBar::kUndo)->click();
        }
    }
}

TEST_F(RangeBar, UndoAfterARefusedConfirmRestoresTheSavedRange)
{
    Confirm(kStart, kStart + CTimeSpan(40 * 86400));
    EXPECT_FALSE(bar->Confirmed());
    view.messages.clear();
    Button(CGraphRangeBar::kUndo)->click();
    CTime from;
    CTime to;
    bar->GetRange(from, to);
    EXPECT_EQ(from, kStart);
    EXPECT_EQ(to, kStart + CTimeSpan(86400));
    EXPECT_EQ(Edit(CGraphRangeBar::kToTime)->dateTime().toSecsSinceEpoch(), qint64(to.GetTime()));
    EXPECT_TRUE(bar->Confirmed());
    EXPECT_TRUE(bar->Control(CGraphRangeBar::kTab)->isEnabled());
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], std::make_pair(platform::WM_ARCHIVE_REDRAW, std::uintptr_t(1)));
}

TEST_F(RangeBar, EditingMergesDateAndTimeOfEachPair)
{
    Focus(CGraphRangeBar::kFromTime, QEvent::FocusIn);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], std::make_pair(platform::WM_ARCHIVE_REDRAW, std::uintptr_t(0)));
    EXPECT_FALSE(bar->Control(CGraphRangeBar::kPrint)->isEnabled());
    EXPECT_FALSE(bar->Control(CGraphRangeBar::kTab)->isEnabled());
    // A new day in the date picker, a new time of day in the time picker.
    Edit(CGraphRangeBar::kFromDate)->setDate(QDate(2024, 1, 5));
    Focus(CGraphRangeBar::kFromDate, QEvent::FocusOut);
    Edit(CGraphRangeBar::kFromTime)->setTime(QTime(13, 30, 15));
    Focus(CGraphRangeBar::kFromTime, QEvent::FocusOut);
    CTime from;
    CTime to;
    bar->GetRange(from, to);
    EXPECT_EQ(from, CTime(2024, 1, 5, 13, 30, 15));
}

TEST_F(RangeBar, OneDayHidesTheDatesAndTabsChangeTheLayout)
{
    EXPECT_TRUE(bar->SeveralDays());
    EXPECT_FALSE(bar->Control(CGraphRangeBar::kFromDate)->isHidden());
    bar->SetRange(kStart, kStart + CTimeSpan(80000));
    bar->SetLimits(kStart + CTimeSpan(3600), kStart + CTimeSpan(7200));
    EXPECT_FALSE(bar->SeveralDays());
    EXPECT_TRUE(bar->Control(CGraphRangeBar::kFromDate)->isHidden());
    EXPECT_FALSE(bar->Control(CGraphRangeBar::kToDate)->isEnabled());

    bar->resize(ui::DluToPixelsX(400, bar->font()), 30); // short captions, fixed margin
    const int confirmX = bar->Control(CGraphRangeBar::kConfirm)->x();
    EXPECT_TRUE(bar->Control(CGraphRangeBar::kExport)->isHidden());
    static_cast<QTabBar*>(bar->Control(CGraphRangeBar::kTab))->setCurrentIndex(1);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], std::make_pair(platform::WM_ARCHIVE_REFILL, std::uintptr_t(1)));
    EXPECT_FALSE(bar->Control(CGraphRangeBar::kExport)->isHidden());
    EXPECT_EQ(bar->Control(CGraphRangeBar::kConfirm)->x() - confirmX, ui::DluToPixelsX(16, bar->font()));

    Button(CGraphRangeBar::kExport)->click();
    Button(CGraphRangeBar::kPrint)->click();
    EXPECT_EQ(view.messages[1].first, platform::WM_ARCHIVE_PRINT_LIST);
    EXPECT_EQ(view.messages[2].first, platform::WM_ARCHIVE_PRINT_GRAPH);
}

TEST_F(RangeBar, CaptionFollowsTabKindAndWidth)
{
    auto caption = [&] { return static_cast<QLabel*>(bar->Control(CGraphRangeBar::kCaption))->text(); };
    bar->resize(ui::DluToPixelsX(1000, bar->font()), 30);
    EXPECT_TRUE(bar->LongCaptions());
    EXPECT_EQ(caption(), QStringLiteral("Graf vybraných veličin od:"));
    bar->SetValueKind(1);
    EXPECT_EQ(caption(), QStringLiteral("Maximální hodnoty od:"));
    bar->SetValueKind(2);
    EXPECT_EQ(caption(), QStringLiteral("Minimální hodnoty od:"));
    static_cast<QTabBar*>(bar->Control(CGraphRangeBar::kTab))->setCurrentIndex(2);
    EXPECT_EQ(caption(), QStringLiteral("Statistické hodnoty od:"));
    bar->resize(ui::DluToPixelsX(400, bar->font()), 30);
    EXPECT_FALSE(bar->LongCaptions());
    EXPECT_EQ(caption(), QStringLiteral("Stat. od:"));

    // Each caption is set whole, colon included, left of the time field.
    auto* label = static_cast<QLabel*>(bar->Control(CGraphRangeBar::kCaption));
    for (int width : {1000, 400}) {
        for (int tab : {0, 2}) {
            bar->SetValueKind(0);
            static_cast<QTabBar*>(bar->Control(CGraphRangeBar::kTab))->setCurrentIndex(tab);
            bar->resize(ui::DluToPixelsX(width, bar->font()), 30);
            EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << label->text().toStdString();
            EXPECT_LE(label->geometry().right(), bar->Control(CGraphRangeBar::kFromTime)->x());
        }
    }
}

TEST_F(RangeBar, EveryTabShowsWholeWithSeveralDaysAtEveryOrdinaryWidth)
{
    ASSERT_TRUE(bar->SeveralDays());
    auto* tabs = static_cast<QTabBar*>(bar->Control(CGraphRangeBar::kTab));
    const int hinted = bar->sizeHint().width();
    for (int width : {hinted, hinted + 37, hinted + 150, 1000, 1400}) {
        for (int selected : {0, 1, 2}) {
            tabs->setCurrentIndex(selected);
            bar->resize(width, bar->sizeHint().height());
            SCOPED_TRACE(testing::Message() << "width " << width << ", tab " << selected);
            EXPECT_TRUE(bar->rect().contains(tabs->geometry())) << tabs->geometry().x() << "+" << tabs->width();
            for (int i = 0; i < tabs->count(); ++i) {
                EXPECT_TRUE(tabs->rect().contains(tabs->tabRect(i))) << tabs->tabText(i).toStdString();
                // The text with the tab's 5-pixel padding on either side.
                const int text = tabs->fontMetrics().horizontalAdvance(tabs->tabText(i)) + 10;
                EXPECT_GE(tabs->tabRect(i).width(), text) << tabs->tabText(i).toStdString();
            }
        }
    }
}
