#include "controls/common/ControlFactory.h"
#include "controls/duskar/DuskarDialogCtrl.h"
#include "controls/qorin/QorinDialogCtrl.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using controls::CControllerPanelCtrl;
using controls::ControlFactory;
using controls::CPanelControl;

TEST(PanelFrame, ScalingTruncatesOrRounds)
{
    // x' = L + (R - L) * x / W, integer (Qorin) or rounded (Duskar).
    struct Case {
        int width;
        int x;
        int truncated; // panel 512
        int rounded;   // panel 510
    };
    const Case cases[] = {
        {512, 313, 313, 314}, // 510-unit panel stretched to 512 pixels
        {300, 313, 183, 184}, // 300*313/512 = 183.4; 300*313/510 = 184.1
        {300, 511, 299, 301},
        {100, 255, 49, 50},   // 49.8 truncates to 49
        {1000, 1, 1, 2},
    };
    for (const Case& c : cases) {
        controls::CQorinDialogCtrl q;
        controls::CDuskarDialogCtrl d;
        q.resize(c.width, c.width);
        d.resize(c.width, c.width);
        EXPECT_EQ(q.mapX(c.x), c.truncated) << c.width << " " << c.x;
        EXPECT_EQ(d.mapX(c.x), c.rounded) << c.width << " " << c.x;
    }
    controls::CQorinDialogCtrl q;
    q.resize(200, 100);
    EXPECT_EQ(q.mapRect({256, 256, 512, 512}), QRect(100, 50, 100, 50));
}

TEST(PanelFrame, BorderIsThreeDimensional)
{
    controls::CQorinDialogCtrl q;
    q.resize(300, 200);
    const QImage& img = q.image();
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x202020U);
    EXPECT_EQ(img.pixel(150, 0) & 0xFFFFFF, 0x202020U);
    EXPECT_EQ(img.pixel(0, 100) & 0xFFFFFF, 0x202020U);
    EXPECT_EQ(img.pixel(299, 100) & 0xFFFFFF, 0xE0E0E0U);
    EXPECT_EQ(img.pixel(150, 199) & 0xFFFFFF, 0xE0E0E0U);
}

TEST(PanelFrame, InvokeRejectsUnknownIdsAndWrongArgumentCounts)
{
    controls::CQorinDialogCtrl q;
    EXPECT_FALSE(q.Invoke(77).isValid());
    EXPECT_FALSE(q.Invoke(CControllerPanelCtrl::DispidSetBlikani, {true}).isValid());
    EXPECT_FALSE(q.Invoke(CControllerPanelCtrl::DispidSvetlo, {1, 2}).isValid());
    EXPECT_FALSE(q.isModified());
    EXPECT_TRUE(q.Invoke(CControllerPanelCtrl::DispidSvetlo, {1}).toBool());
    EXPECT_TRUE(q.isModified()) << "a property set marks the control modified";
    EXPECT_TRUE(q.Invoke(controls::DispidRefresh).toBool());
}

namespace {

QString pluginDir()
{
    const QString bin = qEnvironmentVariable("QORIN_BINARY_DIR");
    return bin.isEmpty() ? QString() : bin + QStringLiteral("/controls/plugins");
}

} // namespace

TEST(ControlFactoryTest, CreatesAControlByClsidFromItsPlugin)
{
    if (!pluginDir().isEmpty())
        ControlFactory::addSearchPath(pluginDir());
    controls::ControlInfo info;
    ASSERT_TRUE(ControlFactory::find(QStringLiteral("{e9697c45-b594-11d6-ab5f-00105ad7e596}"), &info))
        << "searched " << ControlFactory::searchPaths().join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(info.progId, QStringLiteral("QORINDIALOG.QorinDialogCtrl.1"));
    EXPECT_EQ(info.className, QStringLiteral("CQorinDialogCtrl"));
    EXPECT_EQ(info.typeName, QStringLiteral("QorinDialog Control"));

    QWidget host;
    QString error;
    CPanelControl* c = ControlFactory::create(ControlFactory::QorinDialog, &host, &error);
    ASSERT_NE(c, nullptr) << error.toStdString();
    EXPECT_EQ(c->parentWidget(), &host);
    EXPECT_EQ(c->panelSize(), QSize(512, 512));
    // Hosts may find the control among their children.
    EXPECT_EQ(qobject_cast<CPanelControl*>(static_cast<QObject*>(c)), c);
    EXPECT_EQ(host.findChild<CPanelControl*>(), c);
    // The host knows the control only by dispatch ids and event ids.
    QSignalSpy events(c, &CPanelControl::controlEvent);
    c->resize(256, 256);
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(234, 212)); // the M key at half size
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].at(0).toInt(), 2);
    c->Invoke(6, {0x7});
    EXPECT_EQ(c->Invoke(6).toInt(), 7);
    // String-based connection by the event's name works across the plugin.
    QSignalSpy byName(c, SIGNAL(StiskM()));
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(234, 212));
    EXPECT_EQ(byName.size(), 1);
}

TEST(ControlFactoryTest, MissingPluginGivesACzechMessage)
{
    QString error;
    EXPECT_EQ(ControlFactory::create(QStringLiteral("{00000000-0000-0000-0000-000000000000}"), nullptr, &error),
              nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("není nainstalován"))) << error.toStdString();
}
