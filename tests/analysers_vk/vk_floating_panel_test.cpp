#include "analysers_vk/VKHodnotyDlg.h"
#include "analysers_vk/VKPristrojPlochaFrm.h"
#include "analysers_vk/VKSeznamDlg.h"
#include "archive/store/VKArchivData.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QListWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vk;

namespace {

class VKFloatingPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVK);
        entry->m_nazev = QStringLiteral("Rozvodna");
    }
    void TearDown() override
    {
        CloseVKPanel(*entry);
        platform::Settings::SetFileForTesting(QString());
    }

    QTemporaryDir dir;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKFloatingPanel, FirstOpeningShowsTheInstrumentAndKeepsTheSwitchedState)
{
    OpenVKPanel(*entry);
    CVKPristrojPlochaFrm* frame = FindVKPanel(*entry);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(entry->m_onp, 1);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Rozvodna"));
    EXPECT_FALSE(frame->OnTop());
    EXPECT_TRUE(frame->ShowsInstrument());
    EXPECT_TRUE(frame->Values()->isHidden());

    // Shrunk below the control's least size, the control keeps 250 x 250.
    frame->resize(120, 90);
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->PanelDialog()->ControlSize(), QSize(250, 250));

    frame->ToggleData();
    EXPECT_FALSE(frame->ShowsInstrument());
    EXPECT_FALSE(frame->Values()->isHidden());
    frame->ToggleOnTop();
    OpenVKPanel(*entry); // raises the same window
    EXPECT_EQ(FindVKPanel(*entry), frame);
    CloseVKPanel(*entry);
    EXPECT_EQ(FindVKPanel(*entry), nullptr);

    OpenVKPanel(*entry);
    CVKPristrojPlochaFrm* again = FindVKPanel(*entry);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->OnTop());
    EXPECT_FALSE(again->ShowsInstrument());
}

TEST_F(VKFloatingPanel, ScenarioListAndMeasurementsWithoutCrash)
{
    auto* data = dynamic_cast<CVKArchivData*>(entry->GetArchivData());
    ASSERT_NE(data, nullptr);
    CVKAktData values;
    values.SetU(0, 2301);
    data->AddMeasurementRecord(values);
    OpenVKPanel(*entry);
    CVKPristrojPlochaFrm* frame = FindVKPanel(*entry);
    ASSERT_NE(frame, nullptr);
    UpdateVKPanel(*entry);
    EXPECT_TRUE(frame->Values()->FieldText(1021).startsWith(QStringLiteral("230")));
    frame->PanelDialog()->ShowScenarioList();
    EXPECT_EQ(frame->PanelDialog()->ScenarioList()->count(), 12);
    frame->PanelDialog()->ChooseScenario(2);
    EXPECT_TRUE(frame->PanelDialog()->ScenarioList()->isHidden());
    // Without an application to ask, "Konec" closes the window itself.
    frame->Request(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FindVKPanel(*entry), nullptr);
}

// The panel's menu, reached by right clicks as the platform delivers them:
// one menu per click, gone once an item is chosen, and in the values mode
// too, so the way back and "Konec" are always at hand.
TEST_F(VKFloatingPanel, RightClickShowsOneMenuInBothModes)
{
    OpenVKPanel(*entry);
    CVKPristrojPlochaFrm* frame = FindVKPanel(*entry);
    ASSERT_NE(frame, nullptr);
    frame->resize(420, 420);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));

    // Each menu that comes up takes the next choice (none left: closed).
    QStringList choices;
    int menus = 0;
    QTimer picker;
    QObject::connect(&picker, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        ++menus;
        const QString wanted = choices.isEmpty() ? QString() : choices.takeFirst();
        for (QAction* action : menu->actions())
            if (!wanted.isEmpty() && action->text() == wanted) {
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
                return;
            }
        menu->close();
    });
    picker.start(5);
    const auto rightClick = [&](QWidget* on, QPoint at, const QString& choice) {
        choices = {choice};
        menus = 0;
        QTest::mouseClick(frame->windowHandle(), Qt::RightButton, {}, on->mapTo(frame, at));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return menus;
    };
    // A spot of the values with no field of its own under it.
    const auto bareSpot = [](QWidget* values) {
        for (int y = 2; y < values->height(); y += 3)
            for (int x = 2; x < values->width(); x += 3)
                if (!values->childAt(x, y))
                    return QPoint(x, y);
        return QPoint();
    };

    QWidget* panel = frame->PanelDialog();
    EXPECT_EQ(rightClick(panel, panel->rect().center(), QStringLiteral("Data/Přístroj")), 1);
    EXPECT_FALSE(frame->ShowsInstrument());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    QWidget* values = frame->Values();
    const QPoint spot = bareSpot(values);
    ASSERT_FALSE(spot.isNull());
    EXPECT_EQ(rightClick(values, spot, QStringLiteral("Data/Přístroj")), 1);
    EXPECT_TRUE(frame->ShowsInstrument());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    frame->ToggleData();
    ASSERT_FALSE(frame->ShowsInstrument());
    EXPECT_EQ(rightClick(values, spot, QStringLiteral("Konec")), 1);
    picker.stop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FindVKPanel(*entry), nullptr);
}

} // namespace
