// The VKR live window: each relayed measurement into the values dialog and
// the front panel, panes from the family defaults or the instrument's key,
// and the state kept once it has shown data.
#include "ViewMenu.h"
#include "analysers_vk/VKRGrafAktual.h"
#include "analysers_vk/VKR01Doc.h"
#include "analysers_vk/VKRAktMer.h"
#include "analysers_vk/VKRHodnotyDlg.h"
#include "analysers_vk/VKRZobrazeneVelicinyDlg.h"
#include "analysers_vk/VKPaneLayout.h"
#include "archive/store/VKRArchivData.h"
#include "link/Pristroj.h"
#include "platform/Settings.h"
#include "platform/ThreadMessages.h"
#include "platform/WindowMessage.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace analysers_vk;

namespace {

class VKRLiveView : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        platform::Settings::SetFileForTesting(dir.filePath(QStringLiteral("settings.ini")));
        AddVKRLiveTemplate(manager);
        entry = std::make_unique<CPristroj>(QStringLiteral("COM1"), 1, dir.path(), FALSE, CPristroj::kVKR);
        entry->m_nazev = QStringLiteral("Rozvodna");
        entry->m_merit = 0;
    }
    void TearDown() override { platform::Settings::SetFileForTesting(QString()); }

    CVKRAktMer* Open()
    {
        auto* view = qobject_cast<CVKRAktMer*>(OpenVKRLive(manager, *entry));
        if (view)
            view->resize(900, 700);
        return view;
    }
    void Measure(float voltage, int connection)
    {
        auto* data = dynamic_cast<CVKRArchivData*>(entry->GetArchivData());
        ASSERT_NE(data, nullptr);
        CVKRConfig config;
        config.SetConnection(connection);
        data->AddConfigRecord(config);
        CVKRAktData values;
        for (int k = 0; k < 3; ++k) {
            values.SetUPhase(k, voltage + float(k));
            values.SetI(k, 10.0f);
        }
        data->AddMeasurementRecord(values);
    }
    static void Close(CVKRAktMer* view)
    {
        view->GetDocument()->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir dir;
    ui::CDocManager manager;
    std::unique_ptr<CPristroj> entry;
};

TEST_F(VKRLiveView, NewDataFillsTheValuesAndSavesTheState)
{
    CVKRAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetDocument()->GetTitle(), QStringLiteral("Rozvodna"));
    EXPECT_EQ(view->PaneMask(), 7);
    Measure(231.0f, CVKRConfig::Star);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Initialised());
    EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("231")))
        << view->Values()->FieldText(1021).toStdString();
    EXPECT_EQ(view->Values()->ConnectionType(), CVKRConfig::Star);

    // A new connection reaches the enabling of the values dialog.
    Measure(240.0f, CVKRConfig::Aron);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    EXPECT_TRUE(view->Values()->FieldText(1021).startsWith(QStringLiteral("240")));
    EXPECT_EQ(view->Values()->ConnectionType(), CVKRConfig::Aron);
    EXPECT_FALSE(view->Values()->Field(1027)->isEnabled());

    view->TogglePane(CVKPaneLayout::kAlarmsBit);
    EXPECT_EQ(view->PaneMask(), 3);
    Close(view);

    platform::Settings settings;
    const platform::SettingsSection section({QStringLiteral("pristroje"), QStringLiteral("Rozvodna")});
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isAlarm"), -5), 0);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("isGraf"), -5), 1);
    EXPECT_EQ(settings.GetProfileInt(section, QStringLiteral("prickaY"), -5), 544);

    CVKRAktMer* again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->PaneMask(), 3);
    Close(again);
}

TEST_F(VKRLiveView, WithoutAKeyThePanesComeFromTheFamilyDefaults)
{
    // The VK family's defaults are not the VKR's.
    platform::Settings().WriteProfileInt("Obecne nastaveni vk", QStringLiteral("isData"), 0);
    platform::Settings().WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("isGraf"), 0);
    platform::Settings().WriteProfileInt("Obecne nastaveni vkr", QStringLiteral("isNahled"), 1);
    CVKRAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->PaneMask(), 14);
    Close(view);
    // Closed before its first measurement, it stores nothing.
    EXPECT_TRUE(platform::Settings().SubSections(QStringLiteral("pristroje")).isEmpty());
}

TEST_F(VKRLiveView, MenuOffersTheInstrumentCommandsAndTheGraphTools)
{
    CVKRAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    Measure(231.0f, CVKRConfig::Star);
    platform::SendMessageTo(view, platform::WM_NEW_DATA, 0, 0);
    QMenu menu;
    view->FillMenu(menu);
    QStringList texts;
    QAction* grid = nullptr;
    QAction* quantities = nullptr;
    for (QAction* action : menu.actions()) {
        texts << action->text();
        if (action->text() == QStringLiteral("Rastr"))
            grid = action;
        if (action->text() == QStringLiteral("Zobrazené veličiny ..."))
            quantities = action;
    }
    for (const char* expected : {"Panel &přístroje", "Vertikální lupa", "Časová lupa", "Zobrazené veličiny ...",
                                 "Nastavení &přístroje...", "Informace o přístroji", "Vypnout plovoucí okno",
                                 "Otevři soubor dle přístroje ...", "&Nezobrazovat\tCtrl+Z"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    // The VK's clock and energy-meter commands are not the VKR's.
    EXPECT_FALSE(texts.contains(QStringLiteral("Nastavení času ...")));
    ASSERT_NE(grid, nullptr);
    const bool before = view->Graph()->Grid();
    grid->trigger();
    EXPECT_NE(view->Graph()->Grid(), before);

    // The displayed quantities are chosen in the VKR's own dialog.
    ASSERT_NE(quantities, nullptr);
    ASSERT_TRUE(quantities->isEnabled());
    bool vkr = false;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        shown = modal != nullptr;
        // The VKR dialog derives from the VK one: the class itself must be the VKR's.
        vkr = modal && modal->metaObject() == &CVKRZobrazeneVelicinyDlg::staticMetaObject;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    quantities->trigger();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(vkr);
    Close(view);
}

} // namespace

#include "archive_docs/ArchivDocHooks.h"
#include "archive/store/VKArchivData.h"
#include "platform/ui/MessageBox.h"
#include "support/FakeClock.h"
#include "support/ScriptedMessageBoxes.h"

#include <QDir>
#include <QFileInfo>

namespace {

// One block of ten measurements beginning at `start`, written by the
// family's own store as `name` + `extension` in `folder`.
template <class Store, class Values>
void WriteArchive(const QString& folder, const QString& name, const QString& extension, std::int64_t start)
{
    testsupport::FakeClock clock;
    clock.Set(platform::CTime(platform::CTime::time_type(start)));
    Store store;
    store.SetTimeSource(clock.Source());
    ASSERT_EQ(store.Create(600, 10, 60, folder + QLatin1Char('/') + name, extension, TRUE, TRUE, name), 1);
    for (int i = 0; i < 10; ++i) {
        clock.Advance(60);
        store.AddMeasurementRecord(Values());
    }
    clock.Advance(1);
    const int mode = store.EndBlock(FALSE, TRUE, 60);
    ASSERT_EQ(store.Flush(FALSE, mode, name), 1);
    store.Close();
}

// Descriptors the process holds on files of `folder`.
int OpenFilesIn(const QString& folder)
{
    int count = 0;
    const QString prefix = QDir(folder).canonicalPath() + QLatin1Char('/');
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
        if (fd.symLinkTarget().startsWith(prefix))
            ++count;
    return count;
}

TEST_F(VKRLiveView, PreviousFileIsTheNewestVkrArchiveBeganBeforeTheCurrentOne)
{
    const QString folder = dir.filePath(QStringLiteral("archiv"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const std::int64_t day = 86400;
    const std::int64_t base = 1233478800; // 2009-02-01 10:00 local
    WriteArchive<CVKRArchivData, CVKRAktData>(folder, QStringLiteral("oldest"), QStringLiteral(".vkr"), base);
    WriteArchive<CVKRArchivData, CVKRAktData>(folder, QStringLiteral("older"), QStringLiteral(".vkr"), base + day);
    WriteArchive<CVKRArchivData, CVKRAktData>(folder, QStringLiteral("current"), QStringLiteral(".vkr"),
                                              base + 3 * day);
    WriteArchive<CVKRArchivData, CVKRAktData>(folder, QStringLiteral("later"), QStringLiteral(".vkr"),
                                              base + 4 * day);
    // A VK archive between the two is another family's file.
    WriteArchive<CVKArchivData, CVKAktData>(folder, QStringLiteral("vk"), QStringLiteral(".vk"), base + 2 * day);

    const QString current = folder + QStringLiteral("/current.vkr");
    const std::int64_t reference = base + 3 * day + 60;
    const int openBefore = OpenFilesIn(folder);
    EXPECT_EQ(QFileInfo(CVK01Doc::FindPreviousArchive(folder, current, reference, CPristroj::kVKR)).fileName(),
              QStringLiteral("older.vkr"));
    EXPECT_EQ(QFileInfo(CVK01Doc::FindPreviousArchive(folder, current, reference, CPristroj::kVK)).fileName(),
              QStringLiteral("vk.vk"));
    EXPECT_TRUE(CVK01Doc::FindPreviousArchive(folder, current, base, CPristroj::kVKR).isEmpty());
    EXPECT_EQ(OpenFilesIn(folder), openBefore);

    // From the live window's menu: the found file goes to the application.
    CVKRAktMer* view = Open();
    ASSERT_NE(view, nullptr);
    entry->m_soubor = folder;
    QString opened;
    auto& hooks = CArchivDocHooks::Instance();
    const auto saved = hooks.openArchiveFile;
    hooks.openArchiveFile = [&opened](const QString& path) { opened = path; };
    QMenu menu;
    QAction* previous = ViewMenuAction(*view, menu, QStringLiteral("Otevřít předchozí soubor"));
    ASSERT_NE(previous, nullptr);
    ui::ScriptedMessageBoxes boxes;
    previous->trigger();
    hooks.openArchiveFile = saved;
    // Nothing is being written yet: every archive began before now, the latest wins.
    EXPECT_EQ(QFileInfo(opened).fileName(), QStringLiteral("later.vkr"));
    EXPECT_TRUE(boxes.Requests().empty());
    EXPECT_EQ(OpenFilesIn(folder), openBefore);
    Close(view);
}

} // namespace
