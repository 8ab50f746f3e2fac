// The VKDialog plugin: creates the control for the host's factory.
#include "controls/vk/VKDialogCtrl.h"

#include <QObject>
#include <QtPlugin>

class VKDialogPlugin : public QObject, public IPanelControlFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID IPanelControlFactory_iid FILE "vk.json")
    Q_INTERFACES(IPanelControlFactory)
public:
    controls::CPanelControl* create(QWidget* parent) override { return new controls::CVKDialogCtrl(parent); }
};

#include "VKDialogPlugin.moc"
