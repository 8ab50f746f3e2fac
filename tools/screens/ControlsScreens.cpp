// The five front-panel controls, created by CLSID from their plugins as the
// family windows create them: switched off, showing a typical screen at the
// natural size and stretched to 300 x 300, and with a key held down.
#include "tools/screens/Screens.h"

#include "controls/common/ControlFactory.h"
#include "controls/common/PanelControl.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <functional>
#include <memory>

namespace {

using controls::ControlFactory;
using controls::CPanelControl;

struct ControlShots {
    QString clsid;
    QString className;
    std::function<void(CPanelControl&)> switchOff;
    std::function<void(CPanelControl&)> typical;
    QPoint keyAt; // panel units
};

std::unique_ptr<CPanelControl> make(screens::Shot& shot, const ControlShots& c)
{
    QString error;
    std::unique_ptr<CPanelControl> ctrl(ControlFactory::create(c.clsid, nullptr, &error));
    if (!ctrl)
        shot.fail(c.className + QStringLiteral(": ") + error);
    else
        ctrl->resize(ctrl->panelSize());
    return ctrl;
}

void pressAt(CPanelControl& ctrl, QPoint panelPoint)
{
    const QPointF at(ctrl.mapX(panelPoint.x()), ctrl.mapY(panelPoint.y()));
    QMouseEvent press(QEvent::MouseButtonPress, at, ctrl.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&ctrl, &press);
}

void shoot(screens::Shot& shot, const ControlShots& c)
{
    if (auto off = make(shot, c)) {
        c.switchOff(*off);
        shot.save(off.get(), c.className + QStringLiteral("-off"));
    }
    if (auto lit = make(shot, c)) {
        c.typical(*lit);
        shot.save(lit.get(), c.className + QStringLiteral("-lit"));
    }
    if (auto stretched = make(shot, c)) {
        stretched->resize(300, 300);
        c.typical(*stretched);
        shot.save(stretched.get(), c.className + QStringLiteral("-lit-300"));
    }
    if (auto key = make(shot, c)) {
        c.typical(*key);
        key->setAttribute(Qt::WA_DontShowOnScreen, true);
        key->show();
        pressAt(*key, c.keyAt);
        shot.save(key.get(), c.className + QStringLiteral("-key"));
    }
}

// Controllers: glyph codes, LED bits, then Obnov.
void controllerShows(CPanelControl& c, std::initializer_list<int> text, int tecka, int leds, int typ = 0)
{
    const int ids[4] = {1, 2, 3, 5};
    int k = 0;
    for (int code : text)
        c.Invoke(ids[k++], {code});
    c.Invoke(4, {tecka});
    c.Invoke(6, {leds});
    c.Invoke(10, {typ});
    c.Invoke(7);
}

} // namespace

QORIN_SCREENS(Controls)
{
    const auto controllerOff = [](CPanelControl& c) { controllerShows(c, {18, 18, 18, 18}, 0, 0); };
    shoot(shot, {ControlFactory::QorinDialog, QStringLiteral("CQorinDialogCtrl"), controllerOff,
                 [](CPanelControl& c) {
                     // cos 0.98 inductive, stages 1-5 and 8 switched in, manual mode.
                     controllerShows(c, {18, 0, 9, 8}, 1, 0x1F | 1 << 7 | 1 << 14 | 1 << 17 | 1 << 20);
                 },
                 QPoint(400, 460)});
    shoot(shot, {ControlFactory::DuskarDialog, QStringLiteral("CDuskarDialogCtrl"), controllerOff,
                 [](CPanelControl& c) {
                     // 231 V on a seven-stage model: stages 1-3 and 7 in.
                     controllerShows(c, {2, 3, 1, 28}, -1, 0x7 | 1 << 6 | 1 << 16 | 1 << 19, 1);
                 },
                 QPoint(342, 434)});
    const auto vkOff = [](CPanelControl&) {};
    shoot(shot, {ControlFactory::VKDialog, QStringLiteral("CVKDialogCtrl"), vkOff,
                 [](CPanelControl& c) {
                     c.Invoke(1, {0});
                     c.Invoke(3, {230.4f, 229.8f, 231.1f, true, false});
                 },
                 QPoint(402, 460)});
    shoot(shot, {ControlFactory::VKDialog, QStringLiteral("CVKDialogCtrl-graphic"),
                 [](CPanelControl& c) { c.Invoke(1, {100}); },
                 [](CPanelControl& c) {
                     c.Invoke(1, {106});
                     c.Invoke(3, {12500.f, -3400.f, 8800.f, false, false});
                 },
                 QPoint(380, 434)});
    shoot(shot, {ControlFactory::VKRDialog, QStringLiteral("CVKRDialogCtrl"), [](CPanelControl&) {},
                 [](CPanelControl& c) {
                     c.Invoke(2, {2});
                     c.Invoke(1, {2});
                     c.Invoke(3, {231.4f, 229.9f, 230.6f});
                 },
                 QPoint(428, 440)});
    shoot(shot, {ControlFactory::VKTDialog, QStringLiteral("CVKTDialogCtrl"), [](CPanelControl&) {},
                 [](CPanelControl& c) { c.Invoke(3, {400.21f, 399.84f, 401.07f, 1523.4f, 0}); },
                 QPoint(432, 510)});
}
