#include "archive/store/QorinArchivData.h"
#include "controllers/panel/ControllerPlochaFrm.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

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

} // namespace
