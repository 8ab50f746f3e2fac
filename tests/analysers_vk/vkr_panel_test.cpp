// The VKR front panel: what goes to the control on each measurement, and
// the floating panel with its first placement, its switches and requests.
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRPanelFeed.h"
#include "analysers_vk/VKRPlochaDlg.h"
#include "analysers_vk/VKRPristrojPlochaFrm.h"
#include "archive/store/VKRArchivData.h"
#include "controls/common/PanelControl.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vk;

namespace {

// Records what the host asks of the control.
class RecordingControl : public controls::CPanelControl {
public:
    RecordingControl() : controls::CPanelControl(nullptr, Scaling::Round) {}
    QVariant Invoke(int dispid, const QVariantList& args) override
    {
        calls.emplace_back(dispid, args);
        if (dispid == CVKRPanelFeed::DispidScenar) {
            if (args.isEmpty())
                return screen;
            screen = args[0].toInt();
        }
        return {};
    }
    int Count(int dispid, bool put) const
    {
        return int(std::count_if(calls.begin(), calls.end(),
                                 [&](const auto& c) { return c.first == dispid && c.second.isEmpty() != put; }));
    }

    int screen = 0;
    std::vector<std::pair<int, QVariantList>> calls;

protected:
    void fullPaint() override {}
};

CVKRAktData Measurement()
{
    CVKRAktData v;
    for (int k = 0; k < 3; ++k) {
        v.SetUPhase(k, 231.0f + float(k));
        v.SetI(k, 12.0f);
        v.SetULine(k, 400.0f);
        v.SetP(k, 2500.0f);
        v.SetQ(k, 800.0f);
    }
    v.SetFrequency(5000);
    return v;
}

TEST(VKRPanelFeedTest, ScreenZeroBecomesThreeAndTheTypeGoesOnlyWhenItChanges)
{
    CVKRArchivData data;
    CVKRConfig config;
    config.SetConnection(CVKRConfig::Star);
    data.AddConfigRecord(config);
    data.AddMeasurementRecord(Measurement());

    RecordingControl control;
    CVKRPanelFeed feed;
    EXPECT_EQ(feed.Update(&control, data), CVKRPanelFeed::kDefaultScreen);
    EXPECT_EQ(control.screen, 3);
    // The screen was written back before the values were computed for it.
    ASSERT_GE(control.calls.size(), 3u);
    EXPECT_EQ(control.calls[1].first, CVKRPanelFeed::DispidScenar);
    EXPECT_EQ(control.Count(CVKRPanelFeed::DispidTyp, true), 1);
    EXPECT_EQ(control.Count(CVKRPanelFeed::DispidSetUdaje, true), 1);
    const int type = feed.LastType();

    control.screen = 2;
    EXPECT_EQ(feed.Update(&control, data), 2);
    feed.Update(&control, data);
    EXPECT_EQ(control.Count(CVKRPanelFeed::DispidTyp, true), 1);
    EXPECT_EQ(control.Count(CVKRPanelFeed::DispidSetUdaje, true), 3);
    // Screen 2 shows the phase voltages.
    const QVariantList& last = control.calls.back().second;
    ASSERT_EQ(last.size(), 3);
    EXPECT_NEAR(last[0].toFloat(), 231.0f, 0.01f);

    config.SetConnection(CVKRConfig::Aron);
    data.AddConfigRecord(config);
    data.AddMeasurementRecord(Measurement());
    feed.Update(&control, data);
    EXPECT_NE(feed.LastType(), type);
    EXPECT_EQ(control.Count(CVKRPanelFeed::DispidTyp, true), 2);
    EXPECT_EQ(feed.Update(nullptr, data), 0);
}

class VKRFloatingPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVKR);
        entry->m_nazev = QStringLiteral("Rozvodna");
    }
    void TearDown() override
    {
        CloseVKRPanel(*entry);
        platform::Settings::SetFileForTesting(QString());
    }

    QTemporaryDir dir;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKRFloatingPanel, FirstOpensInTheLowerRightCornerAndKeepsItsSwitches)
{
    OpenVKRPanel(*entry);
    CVKRPristrojPlochaFrm* frame = FindVKRPanel(*entry);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(IsVKRPanelOpen(*entry));
    EXPECT_EQ(entry->m_onp, 1);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Rozvodna"));
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_EQ(frame->geometry(), QRect(screen.width() - 300, screen.height() - 300, 300, 300));
    EXPECT_FALSE(frame->OnTop());
    EXPECT_TRUE(frame->ShowsInstrument());
    EXPECT_TRUE(frame->Values()->isHidden());

    frame->ToggleData();
    EXPECT_FALSE(frame->ShowsInstrument());
    EXPECT_FALSE(frame->Values()->isHidden());
    EXPECT_TRUE(frame->PanelDialog()->isHidden());
    frame->ToggleOnTop();
    frame->setGeometry(100, 120, 400, 380);
    CloseVKRPanel(*entry);
    EXPECT_FALSE(IsVKRPanelOpen(*entry));

    OpenVKRPanel(*entry);
    CVKRPristrojPlochaFrm* again = FindVKRPanel(*entry);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->OnTop());
    EXPECT_FALSE(again->ShowsInstrument());
    EXPECT_EQ(again->geometry().size(), QSize(400, 380));
}

TEST_F(VKRFloatingPanel, MeasurementsFillTheValuesAndKonecClosesWithoutTheApplication)
{
    auto* data = dynamic_cast<CVKRArchivData*>(entry->GetArchivData());
    ASSERT_NE(data, nullptr);
    data->AddMeasurementRecord(Measurement());
    OpenVKRPanel(*entry);
    CVKRPristrojPlochaFrm* frame = FindVKRPanel(*entry);
    ASSERT_NE(frame, nullptr);
    UpdateVKRPanel(*entry);
    EXPECT_TRUE(frame->Values()->FieldText(1021).startsWith(QStringLiteral("231")))
        << frame->Values()->FieldText(1021).toStdString();
    if (frame->PanelDialog()->Control()) {
        EXPECT_EQ(frame->PanelDialog()->Control()->Invoke(CVKRPanelFeed::DispidScenar).toInt(), 3);
    }
    frame->Request(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(FindVKRPanel(*entry), nullptr);
    EXPECT_EQ(entry->m_onp, 0);
}

} // namespace
