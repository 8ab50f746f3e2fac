#pragma once
// Creates a front-panel control by its CLSID (or ProgID) from the control's
// plugin. Plugins are looked for beside the running program, in the build
// tree's plugin folder relative to it, in QORIN_CONTROLS_DIR and in folders
// added by the host.
#include <QString>
#include <QStringList>

#include <vector>

class QWidget;

namespace controls {

class CPanelControl;

struct ControlInfo {
    QString clsid;       // "{E9697C45-...}"
    QString progId;      // "QORINDIALOG.QorinDialogCtrl.1"
    QString className;   // "CQorinDialogCtrl"
    QString deliverable; // "QorinDialog"
    QString typeName;    // "QorinDialog Control"
    QString fileName;    // the plugin file
};

class ControlFactory {
public:
    // Folders searched, in order.
    static QStringList searchPaths();
    static void addSearchPath(const QString& dir);

    // Every control plugin found (metadata only; nothing is loaded).
    static std::vector<ControlInfo> available();
    static bool find(const QString& clsidOrProgId, ControlInfo* info);

    // A new control, or nullptr with a Czech message in *error.
    static CPanelControl* create(const QString& clsidOrProgId, QWidget* parent, QString* error = nullptr);

    // The CLSIDs of the five controls.
    static const QString QorinDialog;
    static const QString DuskarDialog;
    static const QString VKDialog;
    static const QString VKRDialog;
    static const QString VKTDialog;
};

} // namespace controls
