// Runs the screens tool into a fresh folder and checks what it wrote:
//
//   screens_check SCREENS [--group GROUP]... [NAME...]
//
// The tool runs the groups given (all of them without --group). Every
// picture of its list, and every NAME given, must be a PNG that is not of
// one colour, and the list must not be empty. Exit status 0 when all is
// so, 1 otherwise.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

// Blank: one colour over the whole picture.
bool Blank(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb first = rgb.pixel(0, 0);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (line[x] != first)
                return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        err() << "usage: screens_check SCREENS [--group GROUP]... [NAME...]\n";
        return 2;
    }
    QStringList groups;
    QStringList expectedNames;
    for (int i = 2; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--group") && i + 1 < args.size())
            groups << args.at(++i);
        else
            expectedNames << args.at(i);
    }
    QTemporaryDir out;
    if (!out.isValid())
        return 2;

    QProcess tool;
    tool.setProcessChannelMode(QProcess::ForwardedChannels);
    tool.start(args.at(1), QStringList{out.path()} + groups);
    if (!tool.waitForFinished(10 * 60 * 1000)) {
        err() << "screens did not finish\n";
        tool.kill();
        return 1;
    }
    int failures = 0;
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
        err() << "screens ended with status " << tool.exitCode() << '\n';
        ++failures;
    }

    QFile manifest(QDir(out.path()).filePath(QStringLiteral("screens-manifest.txt")));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        err() << "no list of pictures\n";
        return 1;
    }
    QStringList names;
    QTextStream in(&manifest);
    while (!in.atEnd()) {
        const QString name = in.readLine().trimmed();
        if (!name.isEmpty())
            names << name;
    }
    const QSet<QString> listed(names.begin(), names.end());
    if (names.isEmpty()) {
        err() << "no pictures written\n";
        ++failures;
    }
    for (const QString& expected : expectedNames) {
        if (!listed.contains(expected)) {
            err() << expected << ": not written\n";
            ++failures;
        }
    }
    for (const QString& name : names) {
        const QImage image(QDir(out.path()).filePath(name + QStringLiteral(".png")));
        if (image.isNull()) {
            err() << name << ": no picture\n";
            ++failures;
        } else if (Blank(image)) {
            err() << name << ": blank picture\n";
            ++failures;
        }
    }
    QTextStream(stdout) << names.size() << " pictures checked, " << failures << " faults\n";
    return failures == 0 ? 0 : 1;
}
