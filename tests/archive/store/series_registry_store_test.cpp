#include "ControllerTestSupport.h"

#include "archive/store/ArchivSeriesRegistry.h"
#include "archive/store/QorinArchivData.h"

#include <gtest/gtest.h>

namespace {

class RegistryStoreTest : public storetest::ControllerStoreTest {};

// The store's range updates land in the graph registry, shared by the group.
TEST_F(RegistryStoreTest, QorinRatioChangeRescalesRegisteredGroup)
{
    CQorinArchivData store;
    Start(store, QStringLiteral("registr"));
    CArchivSeriesRegistry registry;
    ASSERT_TRUE(registry.AddGraphSeries(QStringLiteral("Proud"), QStringLiteral("A"), QStringLiteral("I"), 0, 10, 0));
    ASSERT_TRUE(registry.AddGraphSeries(QStringLiteral("real"), QStringLiteral("A"), QStringLiteral("I"), 0, 10, -10));
    ASSERT_TRUE(registry.AddGraphSeries(QStringLiteral("Cos"), {}, QStringLiteral("cos"), 0, 2, 0));
    store.SetSeriesRegistry(&registry);

    CQorinAktData v;
    v.ctWord = 0x8000 | 20;
    store.AddMeasurementRecord(v);
    ASSERT_EQ(store.ScaleCurrentSeries(TRUE), TRUE);
    for (const char* name : {"Proud", "real"}) {
        const CGraphTrace* s = registry.FindGraphSeries(QString::fromLatin1(name));
        EXPECT_FLOAT_EQ(s->Maximum(), 160) << name;
        EXPECT_FLOAT_EQ(s->Minimum(), -160) << name;
    }
    EXPECT_FLOAT_EQ(registry.FindGraphSeries(u"Cos")->Maximum(), 2);
    store.SetSeriesRegistry(nullptr);
}

// Without a registry of their own the store's range updates and the live
// publishing reach the series the graphs registered with the store.
TEST_F(RegistryStoreTest, OwnRegistryTakesScalesAndLivePoints)
{
    CQorinArchivData store;
    Start(store, QStringLiteral("vlastni"));
    CArchivSeriesRegistry& registry = store.SeriesRegistry();
    ASSERT_TRUE(registry.AddGraphSeries(QStringLiteral("Proud"), QStringLiteral("A"), QStringLiteral("I"), 0, 10, 0));
    store.ResetGraphTimeBase(3600);

    CQorinAktData v;
    v.ctWord = 0x8000 | 20;
    for (int i = 0; i < 3; ++i) {
        m_clock.Advance(60);
        store.AddMeasurementRecord(v);
    }
    ASSERT_EQ(store.ScaleCurrentSeries(TRUE), TRUE);
    const CGraphTrace* proud = registry.FindGraphSeries(u"Proud");
    EXPECT_FLOAT_EQ(proud->Maximum(), 160);

    store.PublishToGraphs();
    EXPECT_EQ(proud->Points(0).size(), 3u);
    EXPECT_EQ(proud->Span(), 3600);
}

} // namespace
