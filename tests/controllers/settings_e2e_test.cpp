// The settings sheets against simulated controllers on a pseudo-terminal:
// read, edit, send, read again.
#include "ControllerTestSupport.h"
#include "link/LinkTestSupport.h"

#include "controllers/ControllerSettings.h"
#include "controllers/settings/DuskarDetail.h"
#include "controllers/settings/PristrojDetail.h"
#include "link/Pristroj.h"
#include "platform/ui/MessageBox.h"
#include "support/ScriptedMessageBoxes.h"

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

// Plays the user through one pass of the settings loop: edit and send, then
// "Přijmi"; on the sheet read again, note what `shown` gives and close.
// Returns what the re-read sheet showed.
template <class Sheet>
QString EditSendReread(CPristroj& entry, const std::function<void(Sheet&)>& edit,
                       const std::function<QString(Sheet&)>& shown)
{
    ui::ScriptedMessageBoxes boxes(ui::MsgAnswer::Yes);
    ScriptedFileChooser noFile{QString()}; // a silent controller must not open a file dialog
    QString after;
    int step = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* sheet = qobject_cast<Sheet*>(QApplication::activeModalWidget());
        if (!sheet || !sheet->isVisible() || step > 1)
            return;
        if (step++ == 0) {
            edit(*sheet);
            sheet->Button(ui::CPropertySheet::IdApplyNow)->click(); // "Vyšli"
            sheet->Button(ui::CPropertySheet::IdOk)->click();       // "Přijmi"
            return;
        }
        after = shown(*sheet);
        sheet->Button(ui::CPropertySheet::IdCancel)->click();
    });
    timer.start(20);
    OpenControllerSettings(nullptr, entry);
    timer.stop();
    EXPECT_EQ(step, 2);
    EXPECT_GE(boxes.Requests().size(), 2u);
    for (const auto& request : boxes.Requests())
        EXPECT_NE(request.caption, QStringLiteral("CHYBA")) << request.text.toStdString();
    return after;
}

} // namespace

TEST(SettingsEndToEnd, QorinReadEditSendReread)
{
    SimController sim(Family::Qorin, CPristroj::kQorin, Image(SampleQorinConfig()), 4);
    const QString shown = EditSendReread<CPristrojDetail>(
        *sim.entry, [](CPristrojDetail& s) { s.m_data.Ctl<QLineEdit>(1032)->setText(QStringLiteral("0.97")); },
        [](CPristrojDetail& s) { return s.m_data.ControlText(1032); });
    EXPECT_EQ(shown, QStringLiteral("0.97"));
    CConfig written;
    const sim::Bytes block = sim.Block();
    ASSERT_EQ(block.size(), std::size_t(CConfig::kImageSize));
    written.FromRaw(block.data());
    EXPECT_EQ(written.tarif1.t0, 97);
    EXPECT_EQ(written.GetCtPrimaryCurrent(), 500);
    // The sent settings and the text record wait for the next hand-over.
    EXPECT_EQ(sim.entry->GetArchivData()->HasPendingRecords(), 1);
}

TEST(SettingsEndToEnd, DuskarReadEditSendReread)
{
    SimController sim(Family::Duskar, CPristroj::kDuskar, Image(SampleDuskarConfig()), 20);
    const QString shown = EditSendReread<CDuskarDetail>(
        *sim.entry, [](CDuskarDetail& s) { Type(s.m_data, 1032, QString::fromUtf8("5°")); },
        [](CDuskarDetail& s) { return s.m_data.ControlText(1032); });
    EXPECT_EQ(shown, QString::fromUtf8("5°"));
    CDuskarConfig written;
    const sim::Bytes block = sim.Block();
    ASSERT_EQ(block.size(), std::size_t(CDuskarConfig::kImageSize));
    written.FromRaw(block.data());
    EXPECT_EQ(written.duskarTarif1.t0, 106);
}
