#include "archive/store/QorinArchivData.h"
#include "controllers/panel/ControllerPlochaFrm.h"
#include "controllers/values/ValuesDlgBase.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace controllers;

namespace {

class ControllerFloatingPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kQorin);
        entry->m_nazev = QStringLiteral("Kompenzace");
        entry->m_merit = 0;
    }
    void TearDown() override
    {
        CloseControllerPanel(*entry);
        platform::Settings::SetFileForTesting(QString());
    }
    void Measure(int model)
    {
        CQorinAktData values;
        values.model = WORD(model);
        dynamic_cast<CQorinArchivData*>(entry->GetArchivData())->AddMeasurementRecord(values);
    }

    QTemporaryDir dir;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(ControllerFloatingPanel, FirstOpensInTheCornerThenWhereItWasLeft)
{
    OpenControllerPanel(*entry);
    CControllerPlochaFrm* frame = FindControllerPanel(*entry);
    ASSERT_NE(frame, nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(frame->size(), QSize(250, 250));
    EXPECT_EQ(frame->pos(), QPoint(screen.width() - 250, screen.height() - 250));
    EXPECT_TRUE(frame->ShowsPanel());
    EXPECT_FALSE(frame->OnTop());

    frame->setGeometry(40, 50, 300, 280);
    frame->ToggleData();
    frame->ToggleOnTop();
    CloseControllerPanel(*entry);

    OpenControllerPanel(*entry);
    frame = FindControllerPanel(*entry);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), QRect(40, 50, 300, 280));
    EXPECT_FALSE(frame->ShowsPanel()); // closed showing values, reopens so
    EXPECT_TRUE(frame->OnTop());
}

TEST_F(ControllerFloatingPanel, QorinModelTwoGetsTheLiveWindowsPanelType)
{
    // The floating panel once drew model 2 as type 0 while the live window
    // drew type 2; both follow one rule now.
    Measure(2);
    OpenControllerPanel(*entry);
    CControllerPlochaFrm* frame = FindControllerPanel(*entry);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->PanelType(), 2);
    frame->OnPanelKey(2); // M on screen 1 keeps it
    EXPECT_EQ(frame->MenuPosition(), 1);
    frame->OnPanelKey(4);
    frame->OnPanelKey(2);
    EXPECT_EQ(frame->MenuPosition(), 21);
}

// A right click on the panel, through its window as the platform delivers
// it, shows the panel's menu once; "Data/Přístroj" chosen in it switches the
// panel without the same click's context event bringing the menu up again
// over the values, and a right click on the values shows it once too.
TEST_F(ControllerFloatingPanel, RightClickShowsOneMenuOnEitherSide)
{
    for (const int type : {CPristroj::kQorin, CPristroj::kDuskar}) {
        SCOPED_TRACE(type == CPristroj::kQorin ? "Qorin" : "Duskar");
        CloseControllerPanel(*entry);
        entry->SetType(type, FALSE);
        OpenControllerPanel(*entry);
        CControllerPlochaFrm* frame = FindControllerPanel(*entry);
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(frame->PanelControl(), nullptr);
        ASSERT_NE(frame->windowHandle(), nullptr);

        int menus = 0;
        QString choose;
        QTimer hand;
        QObject::connect(&hand, &QTimer::timeout, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible())
                return;
            ++menus;
            for (QAction* action : menu->actions())
                if (!choose.isEmpty() && action->text() == choose) {
                    choose.clear();
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                    return;
                }
            menu->close();
        });
        hand.start(5);
        // A spot of `child` itself (not of a value field with a menu of its
        // own), clicked with the right button.
        const auto rightClick = [&](QWidget* child) {
            QPoint spot(-1, -1);
            for (int y = 2; y < child->height() && spot.y() < 0; y += 3)
                for (int x = 2; x < child->width() && spot.y() < 0; x += 3)
                    if (frame->childAt(child->mapTo(frame, QPoint(x, y))) == child)
                        spot = QPoint(x, y);
            ASSERT_GE(spot.y(), 0);
            menus = 0;
            QTest::mouseClick(frame->windowHandle(), Qt::RightButton, {}, child->mapTo(frame, spot));
            QCoreApplication::processEvents();
        };

        choose = QStringLiteral("Data/Přístroj");
        rightClick(frame->PanelControl());
        EXPECT_EQ(menus, 1);
        EXPECT_FALSE(frame->ShowsPanel());

        rightClick(frame->ValuesPane());
        EXPECT_EQ(menus, 1);

        choose = QStringLiteral("Data/Přístroj");
        rightClick(frame->ValuesPane());
        EXPECT_EQ(menus, 1);
        EXPECT_TRUE(frame->ShowsPanel());
        hand.stop();
    }
}

} // namespace
