#pragma once
// Creates a front-panel control by its CLSID (or ProgID) from the control's
// plugin. Plugins are looked for in QORIN_CONTROLS_DIR, in folders added by
// the host, beside the running program and in the build tree's plugin folder
// relative to it.
//
// A host window places a control where its template has one:
//
//   QString error;
//   CPanelControl* panel = ControlFactory::create(ControlFactory::VKDialog, this, &error);
//   if (!panel) { show `error` (it is Czech and names the control); go on without it }
//   panel->setGeometry(rectFromTheTemplate);      // the panel stretches to any size
//   connect(panel, &CPanelControl::controlEvent, this, [this](int id, const QVariantList& args) {
//       // id: the control's event id (1, 2, ...) or a stock one (DispidMouseDown, ...)
//   });
//   panel->Invoke(1, {0});                         // Scenar = 0
//   panel->Invoke(3, {230.f, 231.f, 229.f, false, false}); // SetUdaje
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
