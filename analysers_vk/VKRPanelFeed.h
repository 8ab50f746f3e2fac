#pragma once

class CVKRArchivData;

namespace controls {
class CPanelControl;
}

namespace analysers_vk {

// Feeds the VKR front-panel control from the newest measurement, for the
// live window and the floating panel alike: a control without a screen
// gets screen 3, the panel type goes to the control only when it changed,
// then the three values.
class CVKRPanelFeed {
public:
    // Dispatch ids of the control.
    enum { DispidScenar = 1, DispidTyp = 2, DispidSetUdaje = 3 };
    static constexpr int kDefaultScreen = 3;

    // The screen shown; 0 without a control.
    int Update(controls::CPanelControl* control, const CVKRArchivData& data);
    int LastType() const { return m_lastType; }

private:
    int m_lastType = 0;
};

} // namespace analysers_vk
