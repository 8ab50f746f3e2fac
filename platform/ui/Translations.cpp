#include "platform/ui/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

bool InstallStandardTranslations()
{
    static bool installed = false;
    if (installed)
        return true;
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return false;
    auto* translator = new QTranslator(application);
    const QLocale czech(QLocale::Czech, QLocale::CzechRepublic);
    const QStringList folders{QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    for (const QString& folder : folders) {
        if (translator->load(czech, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
            installed = QCoreApplication::installTranslator(translator);
            return installed;
        }
    }
    delete translator;
    return false;
}

} // namespace ui
