#include "archive/store/ArchivTitles.h"

namespace archive {

namespace {

qsizetype LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

QString FileNameOf(const QString& path)
{
    return path.mid(LastSeparator(path) + 1);
}

// Position of "_Y" when the name has the period form, else -1.
qsizetype PeriodSuffixAt(const QString& name, const QString& extension)
{
    const qsizetype p = name.lastIndexOf(QLatin1String("_Y"));
    if (p < 0 || name.size() < p + 12 || name.at(p + 4) != QLatin1Char('D') || name.at(p + 9) != QLatin1Char('H'))
        return -1;
    return name.mid(p + 12) == extension ? p : -1;
}

QString WithoutLeadingZero(const QString& digits)
{
    return digits.startsWith(QLatin1Char('0')) ? digits.mid(1) : digits;
}

} // namespace

QString DirectoryOf(const QString& path)
{
    return path.left(LastSeparator(path) + 1);
}

QString BaseTitleOf(const QString& path, const QString& extension)
{
    const QString name = FileNameOf(path);
    const qsizetype p = PeriodSuffixAt(name, extension);
    if (p >= 0)
        return name.left(p);
    const qsizetype e = extension.isEmpty() ? -1 : name.indexOf(extension);
    return e < 0 ? QString() : name.left(e);
}

QString PeriodTitleOf(const QString& path, const QString& extension)
{
    const QString name = FileNameOf(path);
    const qsizetype p = PeriodSuffixAt(name, extension);
    if (p < 0)
        return BaseTitleOf(path, extension);
    return name.left(p) + QLatin1String(" (") + WithoutLeadingZero(name.mid(p + 7, 2)) + QLatin1Char('.')
           + WithoutLeadingZero(name.mid(p + 5, 2)) + QLatin1String(".20") + name.mid(p + 2, 2) + QLatin1Char(')');
}

} // namespace archive
