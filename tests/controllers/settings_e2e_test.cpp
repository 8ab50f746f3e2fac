// The settings sheets against simulated controllers on a pseudo-terminal:
// read, edit, send, read again.
#include "ControllerTestSupport.h"
#include "link/LinkTestSupport.h"

#include "controllers/ControllerSettings.h"
#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace controllers;
using namespace controllers::test;
using sim::Family;
using sim::Instrument;

namespace {

struct SimController : linktest::SimLine {
    SimController(Family family, int type, const sim::Bytes& image, int model)
    {
        Instrument instrument(family, 1);
        instrument.blocks[0x16] = image;
        instrument.identification[2] = std::uint8_t(model >> 8);
        instrument.identification[3] = std::uint8_t(model);
        instrument.identification[5] = 64;
        instrument.identification[7] = 0x21;
        StartLine({instrument}, 0);
        env->SetLinkManager(&manager);
        env->SetClock(&clock);
        entry = std::make_unique<CPristroj>(env);
        entry->m_com = port;
        entry->m_nazev = QStringLiteral("rozvodna");
        entry->SetType(type, TRUE);
        EXPECT_TRUE(entry->OpenLink()) << entry->GetErrorText().toStdString();
    }
    ~SimController() { entry.reset(); }

    sim::Bytes Block()
    {
        sim::Bytes out;
        line.WithInstrument(1, [&](Instrument& i) { out = i.blocks[0x16]; });
        return out;
    }

    std::shared_ptr<CLinkEnvironment> env = std::make_shared<CLinkEnvironment>();
    std::unique_ptr<CPristroj> entry;
};

template <class Record>
sim::Bytes Image(const Record& record)
{
    sim::Bytes image(Record::kImageSize);
    record.ToRaw(image.data());
    return image;
}

} // namespace

TEST(SettingsEndToEnd, QorinReadEditSendReread)
{
    SimController sim(Family::Qorin, CPristroj::kQorin, Image(SampleQorinConfig()), 4);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ScriptedFileChooser noFile{QString()}; // a silent controller must not open a file dialog
    QString shownAfterReread;
    int step = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* sheet = qobject_cast<CPristrojDetail*>(QApplication::activeModalWidget());
        if (!sheet || !sheet->isVisible())
            return;
        if (step == 0) {
            ++step;
            sheet->m_data.Ctl<QLineEdit>(1032)->setText(QStringLiteral("0.97"));
            sheet->Button(ui::CPropertySheet::IdApplyNow)->click(); // "Vyšli"
            sheet->Button(ui::CPropertySheet::IdOk)->click();       // "Přijmi"
        } else if (step == 1) {
            ++step;
            shownAfterReread = sheet->m_data.ControlText(1032);
            sheet->Button(ui::CPropertySheet::IdCancel)->click();
        }
    });
    timer.start(20);
    OpenControllerSettings(nullptr, *sim.entry);
    timer.stop();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(shownAfterReread, QStringLiteral("0.97"));
    CConfig written;
    const sim::Bytes block = sim.Block();
    ASSERT_EQ(block.size(), std::size_t(CConfig::kImageSize));
    written.FromRaw(block.data());
    EXPECT_EQ(written.tarif1.t0, 97);
    EXPECT_EQ(written.GetCtPrimaryCurrent(), 500);
    EXPECT_TRUE(boxes.Requests().size() >= 2u);
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
}

TEST(SettingsEndToEnd, DuskarReadEditSendReread)
{
    SimController sim(Family::Duskar, CPristroj::kDuskar, Image(SampleDuskarConfig()), 20);
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ScriptedFileChooser noFile{QString()}; // a silent controller must not open a file dialog
    QString shownAfterReread;
    int step = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* sheet = qobject_cast<CDuskarDetail*>(QApplication::activeModalWidget());
        if (!sheet || !sheet->isVisible())
            return;
        if (step == 0) {
            ++step;
            Type(sheet->m_data, 1032, QString::fromUtf8("5°"));
            sheet->Button(ui::CPropertySheet::IdApplyNow)->click();
            sheet->Button(ui::CPropertySheet::IdOk)->click();
        } else if (step == 1) {
            ++step;
            shownAfterReread = sheet->m_data.ControlText(1032);
            sheet->Button(ui::CPropertySheet::IdCancel)->click();
        }
    });
    timer.start(20);
    OpenControllerSettings(nullptr, *sim.entry);
    timer.stop();
    EXPECT_EQ(step, 2);
    EXPECT_EQ(shownAfterReread, QString::fromUtf8("5°"));
    CDuskarConfig written;
    const sim::Bytes block = sim.Block();
    ASSERT_EQ(block.size(), std::size_t(CDuskarConfig::kImageSize));
    written.FromRaw(block.data());
    EXPECT_EQ(written.duskarTarif1.t0, 106);
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
}
