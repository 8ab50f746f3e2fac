#include "platform/ui/HtmlHelp.h"

#include "platform/ui/MessageBox.h"

#include <QDesktopServices>
#include <QFileInfo>

#include <utility>

namespace ui {

namespace {

// Process-wide; help runs on the GUI thread only.
HelpOpener g_opener;
bool g_unavailable = false;

} // namespace

std::intptr_t CallHtmlHelp(QWidget* window, const QString& file, int command, std::uintptr_t data)
{
    if (g_unavailable)
        return 0;
    const QFileInfo info(file);
    if (file.isEmpty() || !info.isFile()) {
        InfoBox(window, QStringLiteral("Nápověda není nainstalována (soubor %1 nebyl nalezen).")
                            .arg(file.isEmpty() ? QStringLiteral("nápovědy") : info.fileName()));
        return 0;
    }
    QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    const QString suffix = info.suffix().toLower();
    if (command == HH_HELP_CONTEXT && (suffix == QLatin1String("htm") || suffix == QLatin1String("html")))
        url.setFragment(QString::number(data));
    const bool opened = g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
    if (!opened) {
        // Told once; later requests stay silent.
        g_unavailable = true;
        ErrorBox(window, QStringLiteral("Nápovědu nelze otevřít: v systému chybí program, který ji zobrazí."));
        return 0;
    }
    return 1;
}

HelpOpener SetHelpOpener(HelpOpener opener)
{
    g_unavailable = false;
    return std::exchange(g_opener, std::move(opener));
}

} // namespace ui
