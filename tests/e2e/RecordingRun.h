#pragma once

#include "tools/instrument_sim/PtySimulator.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace e2e {

// One family as the program and the simulator know it.
struct FamilySpec {
    const char* name;
    sim::Family family;
    int type;               // the program's instrument type
    const char* extension;  // of its archive
    std::uint8_t valuesCommand;
    int version = -1; // the firmware the instrument reports; -1: the simulator's
};

// What one simulated instrument served of its measured values: every reply
// that went out, in order. The test may silence it (no reply at all) or
// change the values of each reply.
struct ServedValues {
    std::mutex lock;
    std::vector<sim::Bytes> replies;
    std::atomic<int> count{0};
    std::atomic<bool> silent{false};
    // Requests left without a reply while silent.
    std::atomic<int> unanswered{0};
    // Makes the reply number `n` from the family's own reply; null: as is.
    std::function<void(int n, sim::Bytes& data)> vary;

    int Count() const { return count.load(); }
    std::vector<sim::Bytes> Replies()
    {
        std::lock_guard guard(lock);
        return replies;
    }
};

// The built program in a folder of its own (home, settings, runtime and
// temporary folders, data), with its instruments on one simulated line.
class RecordingRun {
public:
    static constexpr int kMeasuringInterval = 2; // the shortest the program offers
    static constexpr int kRecordsPerBlock = 30;

    // `lines`: simulated lines, each a pseudo-terminal of its own.
    explicit RecordingRun(int lines = 1);
    ~RecordingRun();

    bool Valid() const { return m_root.isValid(); }
    sim::PtySimulator& Line(int index = 0) { return *m_lines[std::size_t(index)]; }

    // Before Start: an instrument at `address` of line `line` registered as
    // `name`.
    ServedValues& AddInstrument(const FamilySpec& family, const QString& name, std::uint8_t address, int line = 0);
    // Before Prepare: a value of the instrument's settings other than the
    // run's own (say "zobrazovat" 1 for its live window).
    void SetInstrumentValue(const QString& name, const QString& value, int number);
    // Before Prepare: the instruments of `line` are set up with a fixed path
    // in the run's folder, a link to the line's pseudo-terminal, as a port
    // name that stays while the device behind it goes and comes back.
    void UseFixedPath(int line = 0);
    // The line's pseudo-terminal closed and its path removed (an adapter
    // pulled out); then a new one behind the same path (plugged in again).
    bool Unplug(int line = 0);
    bool PlugIn(QString& error, int line = 0);
    // Opens the lines and writes the settings; Start does it when it was not
    // done. Apart so that a timing of the start leaves the setting up out.
    bool Prepare(QString& error);
    // Prepares when needed and starts `program` (the built qorin01 unless
    // told) with `environment` added to its own.
    bool Start(QString& error, const QString& program = QString(), const QStringList& environment = {});
    // True once the program has ended (by itself).
    bool WaitForEnd(std::chrono::seconds timeout);
    // Waits until `done` holds, up to `timeout`; false when it never did or
    // the program ended.
    bool WaitFor(const std::function<bool()>& done, std::chrono::seconds timeout);
    // The signal (SIGTERM unless told), then up to two minutes for the
    // program to end. The exit code (-1: did not end normally).
    int Terminate(int signal = SIGTERM);
    QString ArchivePath(const QString& name) const;
    // The program's settings file.
    QString SettingsFile() const;
    QString Output() const { return m_output; }

private:
    struct Entry {
        FamilySpec family;
        QString name;
        std::uint8_t address;
        int line;
        std::unique_ptr<ServedValues> served;
    };
    void WriteSettings();
    QString Path(const QString& relative) const;
    // The port name the instruments of `line` are set up with.
    QString PortName(int line) const;

    struct Value {
        QString instrument, name;
        int number;
    };
    std::vector<Value> m_values;
    QTemporaryDir m_root;
    std::vector<std::unique_ptr<sim::PtySimulator>> m_lines;
    std::vector<bool> m_fixedPaths; // by line
    std::vector<Entry> m_entries;
    QProcess m_program;
    QString m_output;
    bool m_prepared = false;
};

} // namespace e2e
