#include "platform/ui/HtmlHelp.h"

#include "platform/ui/MessageBox.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QVariant>
#include <QWidget>

#include <utility>

namespace ui {

namespace {

// Process-wide; help runs on the GUI thread only.
HelpOpener g_opener;
HelpRecorder g_recorder;
bool g_unavailable = false;
constexpr const char* kHelpIdProperty = "qorinHelpId";

} // namespace

std::intptr_t CallHtmlHelp(QWidget* window, const QString& file, int command, std::uintptr_t data)
{
    if (g_recorder)
        g_recorder({file, command, data});
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

HelpRecorder SetHelpRecorder(HelpRecorder recorder)
{
    return std::exchange(g_recorder, std::move(recorder));
}

void SetHelpId(QWidget* widget, int resourceId)
{
    widget->setProperty(kHelpIdProperty, resourceId);
}

int HelpContextOf(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QVariant id = w->property(kHelpIdProperty);
        if (id.isValid())
            return 0x20000 + id.toInt();
    }
    // Outside every page of a property sheet (its tabs, its buttons): the
    // page shown.
    if (widget)
        for (const QWidget* page : widget->window()->findChildren<QWidget*>())
            if (page->isVisible() && page->property(kHelpIdProperty).isValid())
                return 0x20000 + page->property(kHelpIdProperty).toInt();
    return 0;
}

HelpOpener SetHelpOpener(HelpOpener opener)
{
    g_unavailable = false;
    return std::exchange(g_opener, std::move(opener));
}

} // namespace ui
