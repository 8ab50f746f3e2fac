// The VKTDialog plugin: creates the control for the host's factory.
#include "controls/vkt/VKTDialogCtrl.h"

#include <QObject>
#include <QtPlugin>

class VKTDialogPlugin : public QObject, public IPanelControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IPanelControlFactory_iid FILE "vkt.json")
    Q_INTERFACES(IPanelControlFactory)
public:
    controls::CPanelControl* create(QWidget* parent) override { return new controls::CVKTDialogCtrl(parent); }
};

#include "VKTDialogPlugin.moc"
