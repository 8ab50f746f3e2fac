// The DuskarDialog plugin: creates the control for the host's factory.
#include "controls/duskar/DuskarDialogCtrl.h"

#include <QObject>
#include <QtPlugin>

class DuskarDialogPlugin : public QObject, public IPanelControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IPanelControlFactory_iid FILE "duskar.json")
    Q_INTERFACES(IPanelControlFactory)
public:
    controls::CPanelControl* create(QWidget* parent) override { return new controls::CDuskarDialogCtrl(parent); }
};

#include "DuskarDialogPlugin.moc"
