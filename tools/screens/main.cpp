#include "tools/screens/Screens.h"

#include "platform/ui/ProgramFonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWidget>

#include <algorithm>
#include <map>
#include <string>

namespace screens {
namespace {

std::map<std::string, EntryFn>& entries()
{
    static std::map<std::string, EntryFn> all;
    return all;
}

QString& scratch()
{
    static QString dir;
    return dir;
}

// The group running: its fixture files go into a folder of their own, so
// that no group opens another's archive by the same name.
QString& group()
{
    static QString name;
    return name;
}

} // namespace

Register::Register(const char* group, EntryFn fn)
{
    entries()[group] = fn;
}

Shot::Shot(QString outDir) : m_outDir(std::move(outDir)) {}

void Shot::save(QWidget* widget, const QString& name)
{
    if (!widget) {
        fail(name + QStringLiteral(": no widget"));
        return;
    }
    widget->setAttribute(Qt::WA_DontShowOnScreen, true);
    widget->show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    saveImage(widget->grab().toImage(), name);
}

void Shot::saveImage(const QImage& image, const QString& name)
{
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        fail(name + QStringLiteral(": empty picture"));
        return;
    }
    const QString path = QDir(m_outDir).filePath(name + QStringLiteral(".png"));
    if (!image.save(path, "PNG")) {
        fail(path + QStringLiteral(": cannot write"));
        return;
    }
    m_written << name;
}

QString Shot::scratchDir() const
{
    const QString dir = group().isEmpty() ? scratch() : QDir(scratch()).filePath(group());
    QDir().mkpath(dir);
    return dir;
}

void Shot::fail(const QString& what)
{
    ++m_failures;
    QTextStream(stderr) << "screens: " << what << '\n';
}

} // namespace screens

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", "Europe/Prague");

    // Settings, caches and runtime files of our own: the user's are never read.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(var, home.path().toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home.path() + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/runtime")).toLocal8Bit());
    QDir(home.path()).mkpath(QStringLiteral("scratch"));
    screens::scratch() = home.path() + QStringLiteral("/scratch");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZRT Systems"));
    QApplication::setApplicationName(QStringLiteral("qorin01"));
    QStandardPaths::setTestModeEnabled(true);
    ui::UseProgramFonts();

    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: screens OUTDIR [GROUP...]\n";
        return 2;
    }
    const QString out = args.at(1);
    if (!QDir().mkpath(out)) {
        QTextStream(stderr) << "screens: cannot create " << out << '\n';
        return 2;
    }
    const QStringList only = args.mid(2);

    screens::Shot shot(out);
    // A group asked for by a name the tool does not know would pass as a
    // run without pictures.
    for (const QString& name : only)
        if (screens::entries().count(name.toStdString()) == 0)
            shot.fail(name + QStringLiteral(": no such group"));
    for (const auto& [group, fn] : screens::entries()) {
        if (!only.isEmpty() && !only.contains(QString::fromStdString(group)))
            continue;
        screens::group() = QString::fromStdString(group);
        fn(shot);
        // Windows an entry left open go before the next one draws.
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::processEvents();
    }
    // The list of what was written, one name a line, for the checks.
    QFile manifest(QDir(out).filePath(QStringLiteral("screens-manifest.txt")));
    if (manifest.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        QTextStream list(&manifest);
        for (const QString& name : shot.written())
            list << name << '\n';
    } else {
        shot.fail(manifest.fileName() + QStringLiteral(": cannot write"));
    }
    QTextStream(stdout) << shot.written().size() << " pictures written to " << out << '\n';
    return shot.failures() == 0 ? 0 : 1;
}
