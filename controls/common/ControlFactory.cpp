#include "controls/common/ControlFactory.h"

#include "controls/common/PanelControl.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QLibrary>
#include <QPluginLoader>

namespace controls {

const QString ControlFactory::QorinDialog = QStringLiteral("{E9697C45-B594-11D6-AB5F-00105AD7E596}");
const QString ControlFactory::DuskarDialog = QStringLiteral("{C6AC7A43-C400-4BC9-BA71-2B92BCF87F4F}");
const QString ControlFactory::VKDialog = QStringLiteral("{D9B83DD8-9FB8-403B-AF05-ED0C87FFF1A4}");
const QString ControlFactory::VKRDialog = QStringLiteral("{725496FB-A43F-4AEA-88AC-8D621E26E4CA}");
const QString ControlFactory::VKTDialog = QStringLiteral("{284D2116-DE0B-468F-B995-AA1B1C434AD6}");

namespace {

QStringList& extraPaths()
{
    static QStringList paths;
    return paths;
}

QString normalisedId(QString id)
{
    id = id.trimmed();
    if (id.startsWith(QLatin1Char('{')) && id.endsWith(QLatin1Char('}')))
        id = id.mid(1, id.size() - 2);
    return id.toUpper();
}

bool readInfo(const QString& file, ControlInfo* info)
{
    QPluginLoader loader(file);
    const QJsonObject meta = loader.metaData();
    if (meta.value(QStringLiteral("IID")).toString() != QLatin1String(IPanelControlFactory_iid))
        return false;
    const QJsonObject data = meta.value(QStringLiteral("MetaData")).toObject();
    info->clsid = data.value(QStringLiteral("CLSID")).toString();
    info->progId = data.value(QStringLiteral("ProgID")).toString();
    info->className = data.value(QStringLiteral("Class")).toString();
    info->deliverable = data.value(QStringLiteral("Deliverable")).toString();
    info->typeName = data.value(QStringLiteral("TypeName")).toString();
    info->fileName = file;
    return !info->clsid.isEmpty();
}

} // namespace

QStringList ControlFactory::searchPaths()
{
    QStringList paths;
    const QString env = qEnvironmentVariable("QORIN_CONTROLS_DIR");
    if (!env.isEmpty())
        paths << env.split(QDir::listSeparator(), Qt::SkipEmptyParts);
    paths << extraPaths();
    if (QCoreApplication::instance()) {
        const QString app = QCoreApplication::applicationDirPath();
        paths << app << app + QStringLiteral("/plugins");
        // Programs run from the build tree find the plugins of the same tree.
        paths << app + QStringLiteral("/../controls/plugins") << app + QStringLiteral("/../../controls/plugins");
    }
    QStringList existing;
    for (const QString& p : std::as_const(paths)) {
        const QString clean = QDir::cleanPath(p);
        if (!existing.contains(clean) && QDir(clean).exists())
            existing << clean;
    }
    return existing;
}

void ControlFactory::addSearchPath(const QString& dir)
{
    if (!extraPaths().contains(dir))
        extraPaths().prepend(dir);
}

std::vector<ControlInfo> ControlFactory::available()
{
    std::vector<ControlInfo> result;
    for (const QString& dir : searchPaths()) {
        const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files, QDir::Name);
        for (const QFileInfo& fi : files) {
            if (!QLibrary::isLibrary(fi.fileName()))
                continue;
            ControlInfo info;
            if (readInfo(fi.absoluteFilePath(), &info))
                result.push_back(info);
        }
    }
    return result;
}

bool ControlFactory::find(const QString& clsidOrProgId, ControlInfo* info)
{
    const QString wanted = normalisedId(clsidOrProgId);
    for (const ControlInfo& c : available()) {
        if (normalisedId(c.clsid) == wanted || c.progId.toUpper() == wanted) {
            if (info)
                *info = c;
            return true;
        }
    }
    return false;
}

CPanelControl* ControlFactory::create(const QString& clsidOrProgId, QWidget* parent, QString* error)
{
    ControlInfo info;
    if (!find(clsidOrProgId, &info)) {
        if (error) {
            *error = QStringLiteral("Ovládací prvek %1 není nainstalován: jeho knihovna nebyla nalezena.")
                         .arg(clsidOrProgId);
        }
        return nullptr;
    }
    QPluginLoader loader(info.fileName);
    QObject* root = loader.instance();
    auto* factory = qobject_cast<IPanelControlFactory*>(root);
    CPanelControl* control = factory ? factory->create(parent) : nullptr;
    if (!control && error) {
        *error = QStringLiteral("Ovládací prvek %1 nelze vytvořit z knihovny %2: %3")
                     .arg(info.deliverable, QDir::toNativeSeparators(info.fileName), loader.errorString());
    }
    return control;
}

} // namespace controls
