// The VKRDialog plugin: creates the control for the host's factory.
#include "controls/vkr/VKRDialogCtrl.h"

#include <QObject>
#include <QtPlugin>

class VKRDialogPlugin : public QObject, public IPanelControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IPanelControlFactory_iid FILE "vkr.json")
    Q_INTERFACES(IPanelControlFactory)
public:
    controls::CPanelControl* create(QWidget* parent) override { return new controls::CVKRDialogCtrl(parent); }
};

#include "VKRDialogPlugin.moc"
