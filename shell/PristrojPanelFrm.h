#pragma once

#include "platform/ui/PanelFrame.h"

#include <functional>
#include <memory>

class CLinkEnvironment;
class CPristroj;

// The floating panel of one instrument entry: the entry's name keys what
// the panel keeps, its requests name the entry, and the panel lets go of the
// entry once the application no longer lists it (removed while the panel was
// up).
class CPristrojPanelFrm : public ui::CPanelFrame {
    Q_OBJECT
public:
    virtual void SetDevice(CPristroj& entry);
    CPristroj* Device() const { return m_entry; }

protected:
    using CPanelFrame::CPanelFrame;

    // The entry while the application still lists it, else nothing.
    CPristroj* LiveDevice();
    bool SubjectAlive() override;
    void ClosedWithoutReceiver() override;

private:
    CPristroj* m_entry = nullptr;
    std::shared_ptr<CLinkEnvironment> m_env;
};

// Opens (or raises and feeds) the entry's panel in the family's registry;
// `make` gives the family's frame the first time.
CPristrojPanelFrm* OpenPristrojPanel(ui::CPanelRegistry& panels, CPristroj& entry,
                                     const std::function<CPristrojPanelFrm*()>& make);
