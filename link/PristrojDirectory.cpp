#include "link/Pristroj.h"

#include "platform/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

enum class Probe { Created, Exists, NoFolder, Failed };

Probe CreateTestFile(const QString& file)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        f.close();
        f.remove();
        return Probe::Created;
    }
    if (QFileInfo::exists(file))
        return Probe::Exists;
    if (!QFileInfo(QFileInfo(file).absolutePath()).isDir())
        return Probe::NoFolder;
    return Probe::Failed;
}

int LastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

} // namespace

BOOL CreateDirectoryPath(const QString& path)
{
    const int cut = LastSeparator(path);
    if (cut <= 0)
        return FALSE;
    const QString folder = path.left(cut);
    // A drive root ("C:") is not a folder to create.
    if (folder.size() < 3 && folder.endsWith(QLatin1Char(':')))
        return FALSE;
    if (QFileInfo(folder).isDir())
        return TRUE;
    if (QDir().mkdir(folder))
        return TRUE;
    CreateDirectoryPath(folder);
    return QDir().mkdir(folder) ? TRUE : FALSE;
}

BOOL CheckDataDirectory(QObject* parent, const QString& path, int family, BOOL interactive,
                        IPristrojHost* asked)
{
    IPristrojHost silent;
    IPristrojHost& host = asked ? *asked : silent;
    const QString error = platform::LoadString(platform::IDS_CAPTION_ERROR);
    auto fail = [&](const char* text) {
        if (interactive)
            host.ShowError(parent, QString::fromUtf8(text), error);
        return FALSE;
    };
    if (family < 0 || family > 4 || path.isEmpty())
        return fail(pristroj_texts::kBadFile);

    const QString file = path + QStringLiteral("_0006soubor_na_zkousku_vymaz") + CPristroj::ArchiveExtension(family + 1);
    Probe probe = CreateTestFile(file);
    if (probe == Probe::NoFolder) {
        if (interactive && !host.AskYesNo(parent, QString::fromUtf8(pristroj_texts::kAskCreateFolder),
                                          platform::LoadString(platform::IDS_CAPTION_INFO)))
            return FALSE;
        if (!CreateDirectoryPath(file))
            return fail(pristroj_texts::kBadFolder);
        probe = CreateTestFile(file);
    }
    if (probe == Probe::Created || probe == Probe::Exists)
        return TRUE;
    return fail(pristroj_texts::kBadFile);
}
