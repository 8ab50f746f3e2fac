// "Nastavení přístroje" in an archive window of the running program: the
// family's read-only sheet with the settings stored in the archive, or the
// message that they cannot be read.
#include "ShellTestSupport.h"

#include "app/Families.h"
#include "archive_docs/ArchivDocBase.h"
#include "archive/store/QorinArchivData.h"
#include "archive/store/VKArchivTestSupport.h"
#include "model/QorinAktData.h"
#include "model/QorinConfig.h"
#include "platform/ui/DocTemplate.h"
#include "support/FakeClock.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>

namespace {

using platform::CTime;

class ArchiveSettingsCommandTest : public shelltest::StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        clock.Set(CTime(2024, 3, 10, 10, 0, 0));
        for (const CFamilyDescriptor& family : families.All())
            if (family.addTemplates)
                family.addTemplates(program);
    }
    void TearDown() override
    {
        if (document)
            document->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        StoreTest::TearDown();
    }

    // One block of five one-minute measurements; `settings` adds the
    // instrument's identification and settings in front of them.
    template <class Writer, class AddSettings, class AddValue>
    void Record(const QString& name, const QString& ending, AddSettings addSettings, AddValue addValue)
    {
        Writer writer;
        writer.SetTimeSource(clock.Source());
        ASSERT_EQ(writer.Create(3600, 5, 60, dir.filePath(name), ending, TRUE, TRUE, QStringLiteral("Linka")), 1);
        addSettings(writer);
        for (int i = 0; i < 5; ++i) {
            clock.Advance(60);
            addValue(writer, i);
        }
        clock.Advance(1);
        const int mode = writer.EndBlock(FALSE, TRUE, 60);
        ASSERT_EQ(writer.Flush(FALSE, mode, QStringLiteral("Linka")), 1);
        writer.Close();
    }
    void RecordVK(const QString& name, bool withSettings)
    {
        Record<CVKArchivData>(
            name, QStringLiteral(".vk"),
            [withSettings](CVKArchivData& w) {
                if (!withSettings)
                    return;
                CIden iden;
                iden.number = 1234;
                w.AddIdenRecord(iden);
                w.AddConfigRecord(vktest::VKConfig(400, 100));
            },
            [](CVKArchivData& w, int i) { w.AddMeasurementRecord(vktest::VKValues(i)); });
    }
    void RecordQorin(const QString& name)
    {
        Record<CQorinArchivData>(
            name, QStringLiteral(".qor"),
            [](CQorinArchivData& w) {
                CConfig config;
                config.ctRatio = 20;
                w.AddConfigRecord(config);
            },
            [](CQorinArchivData& w, int) {
                CQorinAktData values;
                values.model = 3;
                values.ctWord = 0x8000 | 20;
                values.current = 4000;
                values.cosPhi = 93;
                values.state = 0x06;
                w.AddMeasurementRecord(values);
            });
    }

    // Opens the file as the program does and gives its window the command;
    // the title and class of the modal window it showed, empty when none.
    std::pair<QString, QString> RunSettingsCommand(const QString& file)
    {
        document = qobject_cast<CArchivDocBase*>(program.OpenDocumentFile(dir.filePath(file), true));
        if (!document)
            return {QStringLiteral("<not opened>"), QString()};
        std::pair<QString, QString> shown;
        // Runs inside the modal loop; it goes with this call when no modal
        // window came.
        QTimer closer;
        closer.setSingleShot(true);
        QObject::connect(&closer, &QTimer::timeout, [&shown] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = {modal->windowTitle(), QString::fromLatin1(modal->metaObject()->className())};
                modal->reject();
            }
        });
        closer.start(0);
        EXPECT_TRUE(document->OnCommand(archive::cmd::kSettings));
        return shown;
    }

    testsupport::FakeClock clock;
    const CFamilyList families{ProgramFamilies()};
    ui::CDocManager program;
    CArchivDocBase* document = nullptr;
};

TEST_F(ArchiveSettingsCommandTest, TheFamilysReadOnlySheetShowsTheStoredSettings)
{
    RecordVK(QStringLiteral("hala"), true);
    RecordQorin(QStringLiteral("linka"));
    ui::ScriptedMessageBoxes boxes;

    const auto vk = RunSettingsCommand(QStringLiteral("hala.vk"));
    EXPECT_EQ(vk.first, QStringLiteral("Nastavení přístroje"));
    EXPECT_EQ(vk.second, QStringLiteral("analysers_vk::CVKDetailStatic"));
    document->OnCloseDocument();
    document = nullptr;

    const auto qorin = RunSettingsCommand(QStringLiteral("linka.qor"));
    EXPECT_EQ(qorin.first, QStringLiteral("Nastavení přístroje"));
    EXPECT_EQ(qorin.second, QStringLiteral("controllers::CPristrojDetailStatic"));
    EXPECT_TRUE(boxes.Requests().empty());
}

TEST_F(ArchiveSettingsCommandTest, AnArchiveWithoutSettingsSaysSo)
{
    RecordVK(QStringLiteral("prazdny"), false);
    ui::ScriptedMessageBoxes boxes;
    const auto shown = RunSettingsCommand(QStringLiteral("prazdny.vk"));
    EXPECT_TRUE(shown.first.isEmpty()) << shown.first.toStdString();
    ASSERT_EQ(boxes.Requests().size(), 1U);
    EXPECT_TRUE(boxes.Requests()[0].text.startsWith(QStringLiteral("Nelze načíst nastavení přístroje ze souboru.")))
        << boxes.Requests()[0].text.toStdString();
}

} // namespace
