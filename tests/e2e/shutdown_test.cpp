// The program ended by a signal while every family's live window is open:
// it ends normally, each window keeps its state under its own instrument,
// and nothing else is added to the settings.
#include "e2e/RecordingRun.h"

#include "link/Pristroj.h"
#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;
using e2e::FamilySpec;
using e2e::RecordingRun;

const FamilySpec kFamilies[] = {
    {"Qorin", sim::Family::Qorin, CPristroj::kQorin, ".qor", 0x30},
    {"Duskar", sim::Family::Duskar, CPristroj::kDuskar, ".dsk", 0x30},
    {"VK", sim::Family::VK, CPristroj::kVK, ".vk", 0x3A, 130},
    {"VKR", sim::Family::VKR, CPristroj::kVKR, ".vkr", 0x3A},
    {"VKT", sim::Family::VKT, CPristroj::kVKT, ".vkt", 0x3A},
};

TEST(ShutDownTest, SignalWithEveryFamilysLiveWindowOpenEndsNormally)
{
    RecordingRun run;
    ASSERT_TRUE(run.Valid());
    std::vector<e2e::ServedValues*> served;
    QStringList names;
    std::uint8_t address = 1;
    for (const FamilySpec& family : kFamilies) {
        const QString name = QString::fromLatin1(family.name) + QStringLiteral(" živě");
        served.push_back(&run.AddInstrument(family, name, address++));
        run.SetInstrumentValue(name, QStringLiteral("zobrazovat"), 1);
        names << name;
    }
    QString error;
    ASSERT_TRUE(run.Start(error)) << error.toStdString();
    // A few measurements each: the windows have shown values.
    ASSERT_TRUE(run.WaitFor(
        [&] { return std::all_of(served.begin(), served.end(), [](auto* s) { return s->Count() >= 4; }); }, 300s))
        << run.Output().toStdString();

    ASSERT_EQ(run.Terminate(SIGTERM), 0) << run.Output().toStdString();

    platform::Settings store(run.SettingsFile());
    QStringList stored = store.SubSections(QStringLiteral("pristroje"));
    stored.sort();
    names.sort();
    EXPECT_EQ(stored, names);
    for (const QString& name : names) {
        const platform::SettingsSection key{QStringLiteral("pristroje"), name};
        // Still shown at the next start, with the panes, placement and graph
        // the window had.
        EXPECT_EQ(store.GetProfileInt(key, QStringLiteral("zobrazovat"), -1), 1) << name.toStdString();
        for (const char* value : {"isGraf", "cx"})
            EXPECT_TRUE(store.Contains(key, QString::fromLatin1(value))) << name.toStdString() << " " << value;
    }
}

} // namespace
