// The QorinDialog plugin: creates the control for the host's factory.
#include "controls/qorin/QorinDialogCtrl.h"

#include <QObject>
#include <QtPlugin>

class QorinDialogPlugin : public QObject, public IPanelControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IPanelControlFactory_iid FILE "qorin.json")
    Q_INTERFACES(IPanelControlFactory)
public:
    controls::CPanelControl* create(QWidget* parent) override { return new controls::CQorinDialogCtrl(parent); }
};

#include "QorinDialogPlugin.moc"
