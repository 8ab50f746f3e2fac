#include "charts/ArchivToolBar.h"

#include "platform/WindowMessage.h"

#include <QAbstractItemView>
#include <QAction>
#include <QImage>
#include <QStyleOptionComboBox>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MainWindow : public QMainWindow, public platform::MessageDispatcher {
public:
    struct Message {
        platform::MessageId id;
        std::intptr_t wParam;
        std::intptr_t lParam;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;

    MainWindow()
    {
        for (platform::MessageId id : {platform::WM_ARCHIVE_DOC_CMD, platform::WM_ARCHIVE_SLIDER})
            SetMessageHandler(id, [this, id](std::uintptr_t w, std::intptr_t l) {
                messages.push_back({id, std::intptr_t(w), l});
                return 0;
            });
    }
    bool event(QEvent* e) override { return DispatchMessageEvent(e) || QMainWindow::event(e); }
};

class ToolBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        bar = new CArchivToolBar(&main);
        main.addToolBar(bar);
        main.resize(900, 200);
        main.setAttribute(Qt::WA_DontShowOnScreen, true);
        main.show();
    }
    // The user picks entry `index` of a combo box.
    // The columns of `area` in `image` that hold text (pixels much darker than
    // the background), as [first, last]; {-1, -1} when none.
    static std::pair<int, int> TextColumns(const QImage& image, const QRect& area)
    {
        int first = -1;
        int last = -1;
        for (int x = area.left(); x <= area.right(); ++x)
            for (int y = area.top(); y <= area.bottom(); ++y)
                if (qGray(image.pixel(x, y)) < 100) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
    static void Choose(QComboBox* combo, int index)
    {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    MainWindow main;
    CArchivToolBar* bar = nullptr;
    const QStringList zooms{"15min ", "1hod ", "1den "};
    const QStringList times{"0:00 ", "6:00 ", "12:00 "};
};

} // namespace

TEST_F(ToolBar, FillSelectsTheCurrentTextOrAddsItAsAnExtraEntry)
{
    bar->FillZoomCombo(zooms, QStringLiteral("1hod "));
    EXPECT_EQ(bar->ZoomCombo()->count(), 3);
    EXPECT_EQ(bar->ZoomCombo()->currentIndex(), 1);

    bar->FillTimeCombo(times, QStringLiteral("7:30 "));
    ASSERT_EQ(bar->TimeCombo()->count(), 4);
    EXPECT_EQ(bar->TimeCombo()->currentText(), QStringLiteral("7:30 "));

    // Opening the list offers only the document's choices; closing it
    // without a choice brings the extra entry back.
    bar->TimeCombo()->showPopup();
    EXPECT_EQ(bar->TimeCombo()->count(), 3);
    bar->TimeCombo()->hidePopup();
    ASSERT_EQ(bar->TimeCombo()->count(), 4);
    EXPECT_EQ(bar->TimeCombo()->currentText(), QStringLiteral("7:30 "));

    // Filling again with a text in the list drops the extra entry.
    bar->FillTimeCombo(times, QStringLiteral("6:00 "));
    EXPECT_EQ(bar->TimeCombo()->count(), 3);
    EXPECT_EQ(bar->TimeCombo()->currentIndex(), 1);
    EXPECT_TRUE(main.messages.empty());
}

TEST_F(ToolBar, ChoicesGoToTheMainWindowWithTheExtraEntryAsNone)
{
    bar->FillZoomCombo(zooms, QStringLiteral("1hod "));
    bar->FillTimeCombo(times, QStringLiteral("7:30 "));
    Choose(bar->ZoomCombo(), 2);
    Choose(bar->TimeCombo(), 0);
    using M = MainWindow::Message;
    ASSERT_EQ(main.messages.size(), 2u);
    EXPECT_EQ(main.messages[0], (M{platform::WM_ARCHIVE_DOC_CMD, -1, 2}));
    EXPECT_EQ(main.messages[1], (M{platform::WM_ARCHIVE_DOC_CMD, 0, 2}));
}

TEST_F(ToolBar, SliderShowsTheWindowAndReportsItsNewPlace)
{
    // 96 quarter hours shown from 40 of a file of 960.
    bar->SetSlider(40, 96, 960);
    CPosuvnik* slider = bar->Slider();
    EXPECT_EQ(slider->value(), 40);
    EXPECT_EQ(slider->maximum(), 960 - 96);
    EXPECT_EQ(slider->pageStep(), 96);
    EXPECT_TRUE(main.messages.empty());

    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    using M = MainWindow::Message;
    ASSERT_EQ(main.messages.size(), 1u);
    EXPECT_EQ(main.messages[0], (M{platform::WM_ARCHIVE_SLIDER, 136, 232}));

    // A file shorter than the window: nowhere to move.
    bar->SetSlider(0, 8, 4);
    EXPECT_EQ(slider->maximum(), 0);
    slider->SetShownEnd(2);
    EXPECT_EQ(slider->Page(), 2);
    EXPECT_EQ(slider->maximum(), 2);
}

TEST_F(ToolBar, ButtonsComeOutAsCommandsInBarOrder)
{
    std::vector<int> commands;
    QObject::connect(bar, &CArchivToolBar::Command, [&](int id) { commands.push_back(id); });
    for (int id : CArchivToolBar::kButtons)
        bar->Button(id)->trigger();
    EXPECT_EQ(commands, (std::vector<int>{32193, 32194, 32195, 32165, 32167, 32169}));
    EXPECT_EQ(bar->Button(32193)->text(), QStringLiteral("Posun na začátek archivního souboru"));
}

TEST_F(ToolBar, CombosShowTheirTextsRightAlignedInTheBoxAndInTheList)
{
    for (CArchivCombo* combo : {bar->TimeCombo(), bar->ZoomCombo()}) {
        if (combo == bar->TimeCombo())
            bar->FillTimeCombo(times, QStringLiteral("6:00 "));
        else
            bar->FillZoomCombo(zooms, QStringLiteral("1hod "));

        QStyleOptionComboBox option;
        option.initFrom(combo);
        const QRect field =
            combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        const QImage box = combo->grab().toImage();
        const auto [first, last] = TextColumns(box, field.adjusted(0, 2, 0, -2));
        ASSERT_GE(first, 0) << "no text drawn in the box";
        // A short text ends near the field's right edge and starts in its
        // right half.
        EXPECT_GE(last, field.right() - 8);
        EXPECT_GT(first, field.center().x());

        combo->showPopup();
        QAbstractItemView* list = combo->view();
        const QImage items = list->viewport()->grab().toImage();
        const QRect row = list->visualRect(list->model()->index(0, 0));
        const auto [itemFirst, itemLast] = TextColumns(items, row.adjusted(0, 1, 0, -1));
        combo->hidePopup();
        ASSERT_GE(itemFirst, 0) << "no text drawn in the list";
        EXPECT_GE(itemLast, row.right() - 8);
        EXPECT_GT(itemFirst, row.center().x());
    }
}
