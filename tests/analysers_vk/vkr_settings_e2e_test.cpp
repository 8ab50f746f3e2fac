// The VKR settings dialog against a simulated VKR on a pseudo-terminal:
// read, edit, send, and read again in a new dialog; a primary the tables
// lack goes back to the instrument unchanged.
#include "link/LinkTestSupport.h"

#include "analysers_vk/VKRDetail.h"
#include "analysers_vk/VKRSettingsIo.h"
#include "link/LinkEnvironment.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace analysers_vk;

struct SimVKR : linktest::SimLine {
    explicit SimVKR(const CVKRConfig& config)
    {
        sim::Instrument instrument(sim::Family::VKR, 1);
        instrument.identification[2] = 0x10; // model 0x1000
        instrument.identification[3] = 0x00;
        instrument.identification[4] = 0;
        instrument.identification[5] = 48;
        BYTE image[CVKRConfig::kImageSize];
        config.ToRaw(image);
        instrument.blocks[0x16] = sim::Bytes(image, image + CVKRConfig::kImageSize);
        StartLine({instrument}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("vyvod");
        entry->SetType(CPristroj::kVKR, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
    }
    ~SimVKR() { entry.reset(); }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    std::unique_ptr<CPristroj> entry;
};

TEST(VKRSettingsEndToEndTest, EditSendAndReadAgain)
{
    CVKRConfig stored;
    stored.SetVtPrimary(5000); // not in the table
    stored.SetCtPrimary(0x80000000u | 1000);
    stored.SetMode(0xA3); // star, bit 7 set, low bits 3
    stored.SetSpeed(2);
    stored.SetAddress(1);
    stored.SetDisplayMask(0x0007);
    stored.SetDisplay(0x12);
    SimVKR sim(stored);
    CPristrojVKRSettingsIo io(*sim.entry);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    {
        CVKRDetail dialog;
        ASSERT_TRUE(dialog.ReadFromDevice(io, 0));
        EXPECT_EQ(dialog.TypeText(), QStringLiteral("VKR"));
        EXPECT_EQ(dialog.Combo(CVKRDetail::IdVtPrimary)->currentText(), QStringLiteral("5000"));
        EXPECT_EQ(dialog.Combo(CVKRDetail::IdCtPrimary)->currentText(), QStringLiteral("1000"));
        EXPECT_EQ(dialog.Combo(CVKRDetail::IdCtSecondary)->currentText(), QStringLiteral("5"));
        EXPECT_EQ(dialog.RateText(), QStringLiteral("9600 Bd"));
        dialog.Combo(CVKRDetail::IdFrequency)->setCurrentIndex(1);
        dialog.Combo(CVKRDetail::IdConnectionType)->setCurrentIndex(3);
        dialog.show();
        QTest::mouseClick(dialog.Button(CVKRDetail::IdSend), Qt::LeftButton);
        dialog.hide();
    }
    ASSERT_EQ(boxes.Requests().size(), 1u) << boxes.Requests().back().text.toStdString();

    CVKRDetail again;
    ASSERT_TRUE(again.ReadFromDevice(io, 0));
    const CVKRConfig& read = again.Settings().config;
    EXPECT_EQ(read.GetVtPrimary(), 5000u);
    EXPECT_EQ(read.GetCtPrimary(), 0x80000000u | 1000);
    EXPECT_EQ(read.GetDefaultFrequency(), 60);
    EXPECT_EQ(read.GetMode(), 0x33);
    EXPECT_EQ(read.GetDisplayMask(), 0x0007);
    EXPECT_EQ(read.GetDisplay(), 0x12);
}

} // namespace
