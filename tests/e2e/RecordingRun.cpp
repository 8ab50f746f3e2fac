#include "e2e/RecordingRun.h"

#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

#include <csignal>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#include <thread>

namespace e2e {

RecordingRun::RecordingRun(int lines)
{
    for (int i = 0; i < lines; ++i)
        m_lines.push_back(std::make_unique<sim::PtySimulator>());
    m_fixedPaths.assign(std::size_t(lines), false);
    if (!m_root.isValid())
        return;
    for (const char* folder : {"home", "config", "data", "cache", "tmp", "run"})
        QDir(m_root.path()).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(Path(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

RecordingRun::~RecordingRun()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished(30000);
    }
    for (auto& line : m_lines)
        line->Stop();
}

QString RecordingRun::Path(const QString& relative) const
{
    return QDir(m_root.path()).filePath(relative);
}

QString RecordingRun::ArchivePath(const QString& name) const
{
    for (const Entry& e : m_entries)
        if (e.name == name)
            return Path(QStringLiteral("data/%1/%1%2").arg(name, QString::fromLatin1(e.family.extension)));
    return {};
}

ServedValues& RecordingRun::AddInstrument(const FamilySpec& family, const QString& name, std::uint8_t address,
                                          int line)
{
    auto served = std::make_unique<ServedValues>();
    ServedValues* log = served.get();
    sim::Instrument& instrument = Line(line).AddInstrument(sim::Instrument(family.family, address));
    // The family's own answer, from an instrument of its own, then changed
    // and logged here.
    auto model = std::make_shared<sim::Instrument>(family.family, address);
    if (family.version >= 0) {
        instrument.SetVersion(std::uint16_t(family.version));
        model->SetVersion(std::uint16_t(family.version));
    }
    instrument.SetCommand(family.valuesCommand, [model, log](sim::Instrument&, const sim::Frame& frame) {
        if (log->silent) {
            ++log->unanswered;
            return sim::Response::None();
        }
        sim::Response reply = model->Handle(frame);
        if (reply.kind != sim::Response::Kind::Data)
            return reply;
        std::lock_guard guard(log->lock);
        if (log->vary)
            log->vary(int(log->replies.size()), reply.bytes);
        log->replies.push_back(reply.bytes);
        ++log->count;
        return reply;
    });
    m_entries.push_back({family, name, address, line, std::move(served)});
    return *log;
}

QString RecordingRun::SettingsFile() const
{
    return Path(QStringLiteral("config/ZRT Systems/qorin01.ini"));
}

void RecordingRun::WriteSettings()
{
    const QString ini = SettingsFile();
    QDir().mkpath(QFileInfo(ini).absolutePath());
    platform::Settings store(ini);
    // One write of the file, however many instruments there are.
    platform::SettingsBatch batch;
    const platform::SettingsSection general(QStringLiteral("Obecne nastaveni"));
    store.WriteProfileString(general, QStringLiteral("adresar"), Path(QStringLiteral("data")));
    store.WriteProfileInt(general, QStringLiteral("pouzivat podadresare"), 1);
    store.WriteProfileInt(general, QStringLiteral("spustit pri startu"), 2);
    for (const Entry& e : m_entries) {
        const platform::SettingsSection key{QStringLiteral("pristroje"), e.name};
        QDir().mkpath(Path(QStringLiteral("data/") + e.name));
        store.WriteProfileInt(key, QStringLiteral("kat"), e.family.type);
        store.WriteProfileInt(key, QStringLiteral("merit"), 1);
        store.WriteProfileInt(key, QStringLiteral("adresa"), e.address);
        store.WriteProfileString(key, QStringLiteral("com"), PortName(e.line));
        store.WriteProfileInt(key, QStringLiteral("zobrazovat"), 0);
        store.WriteProfileInt(key, QStringLiteral("zaznamenavat"), 1);
        store.WriteProfileString(key, QStringLiteral("soubor"), Path(QStringLiteral("data/%1/%1").arg(e.name)));
        store.WriteProfileInt(key, QStringLiteral("intervalMereni"), kMeasuringInterval);
        store.WriteProfileInt(key, QStringLiteral("intervalZapisovani"), kRecordsPerBlock);
        store.WriteProfileInt(key, QStringLiteral("intervalPrepisovani"), 604800);
        store.WriteProfileInt(key, QStringLiteral("prepisovat"), 1);
        store.WriteProfileInt(key, QStringLiteral("synchronizovat"), 0);
    }
    for (const Value& v : m_values)
        store.WriteProfileInt({QStringLiteral("pristroje"), v.instrument}, v.name, v.number);
}

void RecordingRun::SetInstrumentValue(const QString& name, const QString& value, int number)
{
    m_values.push_back({name, value, number});
}

void RecordingRun::UseFixedPath(int line)
{
    m_fixedPaths[std::size_t(line)] = true;
}

QString RecordingRun::PortName(int line) const
{
    if (m_fixedPaths[std::size_t(line)])
        return Path(QStringLiteral("run/line%1").arg(line));
    return QString::fromStdString(m_lines[std::size_t(line)]->SlavePath());
}

bool RecordingRun::Unplug(int line)
{
    Line(line).Stop();
    return QFile::remove(PortName(line));
}

bool RecordingRun::PlugIn(QString& error, int line)
{
    std::string why;
    if (!Line(line).Start(why)) {
        error = QString::fromStdString(why);
        return false;
    }
    if (m_fixedPaths[std::size_t(line)]
        && !QFile::link(QString::fromStdString(Line(line).SlavePath()), PortName(line))) {
        error = QStringLiteral("cannot link ") + PortName(line);
        return false;
    }
    return true;
}

bool RecordingRun::Prepare(QString& error)
{
    if (m_prepared)
        return true;
    for (int i = 0; i < int(m_lines.size()); ++i) {
        if (!PlugIn(error, i))
            return false;
    }
    WriteSettings();
    m_prepared = true;
    return true;
}

bool RecordingRun::Start(QString& error, const QString& program, const QStringList& environment)
{
    if (!Prepare(error))
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), Path(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), Path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), Path(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), Path(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path(QStringLiteral("run")));
    env.insert(QStringLiteral("TMPDIR"), Path(QStringLiteral("tmp")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!env.contains(QStringLiteral("TZ")))
        env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Prague"));
    for (const QString& entry : environment)
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    m_program.setProcessEnvironment(env);
    m_program.setWorkingDirectory(Path(QStringLiteral("home")));
    m_program.setProcessChannelMode(QProcess::MergedChannels);
#ifdef Q_OS_LINUX
    // A test that is killed takes the program with it.
    m_program.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    m_program.start(program.isEmpty() ? QStringLiteral(QORIN01_PATH) : program, {});
    if (!m_program.waitForStarted(60000)) {
        error = m_program.errorString();
        return false;
    }
    return true;
}

bool RecordingRun::WaitFor(const std::function<bool()>& done, std::chrono::seconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        if (m_program.state() == QProcess::NotRunning)
            return false;
        m_program.waitForReadyRead(200);
        m_output += QString::fromLocal8Bit(m_program.readAll());
    }
    return done();
}

bool RecordingRun::WaitForEnd(std::chrono::seconds timeout)
{
    const bool ended = m_program.waitForFinished(int(std::chrono::milliseconds(timeout).count()));
    m_output += QString::fromLocal8Bit(m_program.readAll());
    return ended;
}

int RecordingRun::Terminate(int signal)
{
    if (m_program.state() == QProcess::NotRunning)
        return -1;
    ::kill(pid_t(m_program.processId()), signal);
    const bool ended = m_program.waitForFinished(120000);
    m_output += QString::fromLocal8Bit(m_program.readAll());
    if (!ended || m_program.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_program.exitCode();
}

} // namespace e2e
