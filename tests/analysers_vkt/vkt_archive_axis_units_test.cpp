// The VKT archive graph behind transformers: the value axis is labelled in
// the unit of the window's prefix, counts in that unit, the trace sits where
// its value lies on that scale, and the value list shows the same number
// under the same unit.
#include "VKTTestValues.h"

#include "analysers_vkt/VKTArchivView.h"
#include "archive_docs/FamilyArchivDocs.h"
#include "archive/store/StoreTestSupport.h"
#include "charts/ArchivValueLists.h"
#include "charts/ArchiveAxisCheck.h"
#include "model/QuantityNames.h"
#include "model/VKTConfig.h"
#include "platform/Settings.h"
#include "platform/ui/ChildFrame.h"
#include "platform/ui/DocTemplate.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace analysers_vkt;
using platform::CTime;

namespace {

class VKTArchiveAxisUnitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        platform::Settings::SetFileForTesting(m_dir.filePath(QStringLiteral("settings.ini")));
        AddVKTArchivTemplate(m_manager);
        m_clock.Set(CTime(2024, 3, 10, 10, 0, 0));
    }
    void TearDown() override
    {
        Close();
        platform::Settings::SetFileForTesting(QString());
    }

    void Close()
    {
        if (m_doc)
            m_doc->OnCloseDocument();
        m_doc = nullptr;
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
    }

    // An archive of instrument `name` with ratios `vt` and `ct` on inputs
    // 1 to 3, 220 V, 5 A and 1000 W on their secondary side, whose graph
    // shows only `quantity`.
    QString Record(const QString& name, WORD vt, WORD ct, const char* quantity)
    {
        // The instrument's own choice, and the general one an archive
        // without its own section falls back to.
        platform::Settings settings;
        for (const platform::SettingsSection& section :
             {platform::SettingsSection({QStringLiteral("pristroje"), name}),
              platform::SettingsSection("Obecne nastaveni vkt")}) {
            settings.WriteProfileInt(section, QStringLiteral("init"), 1);
            for (QStringView q : VKTQuantityNames)
                settings.WriteProfileInt(section, QStringLiteral("is") + q.toString(),
                                         q == QLatin1String(quantity) ? 1 : 0);
        }

        CVKTConfig config;
        config.SetVtPrimary(vt);
        config.SetCtPrimary(ct);
        config.SetConnection(CVKTConfig::FourPhase);
        CAktData values = vkttest::MakeValues(0x1F);
        for (int i = 0; i < 3; ++i) {
            CAktPhase* phase = values.GetPhase(i);
            if (!phase)
                continue;
            phase->voltage = 8800;  // 0.025 V
            phase->current = 25000; // 0.0002 A
            phase->activePower = 1000.0f;
        }
        return axischeck::Record<CVKTArchivData>(m_clock, m_dir.path(), name, CVKTArchivData::Extension(), config,
                                                 values);
    }

    CVKTArchivView* Open(const QString& path)
    {
        ui::CDocTemplate* t =
            m_manager.FindTemplate(ui::CDocTemplate::regFileTypeId, QStringLiteral("VKTArchiv.Document"));
        if (!t)
            return nullptr;
        m_doc = qobject_cast<CVKTArchivDoc*>(t->OpenDocumentFile(path, true));
        if (!m_doc)
            return nullptr;
        auto* view = qobject_cast<CVKTArchivView*>(m_doc->FirstView());
        if (view && view->GetParentFrame())
            view->GetParentFrame()->resize(1000, 760);
        QApplication::processEvents();
        return view;
    }

    QTemporaryDir m_dir;
    storetest::FakeClock m_clock;
    ui::CDocManager m_manager;
    QPointer<CVKTArchivDoc> m_doc;
};

TEST_F(VKTArchiveAxisUnitsTest, AxesCountInTheUnitTheyName)
{
    struct Case {
        WORD vt, ct;
        axischeck::AxisCase axis;
    };
    // Automatic ranges: U 0..500, I 0..10, P 0..4000 (no delivery) times
    // the ratios.
    const Case cases[] = {
        {1, 1, {"U1", "V", 220.0, 500.0}},
        {1, 1, {"I1", "A", 5.0, 10.0}},
        {1, 1, {"P1", "W", 1000.0, 4000.0}},
        {1, 100, {"P1", "kW", 100.0, 400.0}},
        {100, 3000, {"U1", "kV", 22.0, 50.0}},
        {100, 3000, {"I1", "kA", 15.0, 30.0}},
        {100, 3000, {"P1", "MW", 300.0, 1200.0}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.axis.quantity) + " [" + c.axis.unit + "]");
        const QString name = QStringLiteral("vkt%1").arg(++n);
        CVKTArchivView* view = Open(Record(name, c.vt, c.ct, c.axis.quantity));
        ASSERT_TRUE(view);
        axischeck::Views views;
        views.view = view;
        views.list = view->List();
        views.data = &m_doc->GetFamilyArchiv();
        axischeck::CheckAxis(views, c.axis);
        Close();
    }
}

} // namespace
