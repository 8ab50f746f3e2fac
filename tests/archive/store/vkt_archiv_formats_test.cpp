#include "archive/store/VKTFormats.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    float ratio;
    int multiplier;
    const char* format;
};

using Choose = void (*)(float, QString&, int&);

void CheckTable(Choose choose, const char* what, std::initializer_list<FormatCase> cases)
{
    for (const FormatCase& c : cases) {
        QString format;
        int multiplier = -1;
        choose(c.ratio, format, multiplier);
        EXPECT_EQ(multiplier, c.multiplier) << what << " ratio " << c.ratio;
        EXPECT_EQ(format, QLatin1String(c.format)) << what << " ratio " << c.ratio;
    }
}

TEST(VKTFormats, VoltageRows)
{
    CheckTable(ChooseVoltageFormat, "voltage",
               {{1.0f, 1, "%0.1f"},     {0.99f, 1, "%0.2f"},    {1.01f, 1, "%0.2f"},   {0.0f, 1, "%0.2f"},
                {-3.0f, 1, "%0.2f"},    {15.0f, 1, "%0.2f"},    {15.5f, 1, "%0.1f"},   {37.4f, 1, "%0.1f"},
                {37.5f, 1000, "%0.4f"}, {149.9f, 1000, "%0.4f"}, {150.0f, 1000, "%0.3f"}, {1500.0f, 1000, "%0.2f"},
                {15000.0f, 1000, "%0.2f"}, {15001.0f, 1000, "%0.1f"}});
}

TEST(VKTFormats, PowerRows)
{
    CheckTable(ChoosePowerFormat, "power",
               {{-1.0f, 1, "%0.1f"},          {19.9f, 1, "%0.1f"},           {20.0f, 1000, "%0.5f"},
                {50.0f, 1000, "%0.4f"},       {500.0f, 1000, "%0.3f"},       {1999.0f, 1000, "%0.3f"},
                {2000.0f, 1000000, "%0.5f"},  {5000.0f, 1000000, "%0.4f"},   {50000.0f, 1000000, "%0.3f"},
                {500000.0f, 1000000, "%0.2f"}, {50000000.0f, 1000000, "%0.1f"}});
}

TEST(VKTFormats, CurrentRows)
{
    CheckTable(ChooseCurrentFormat, "current",
               {{0.0f, 1, "%0.4f"},       {4.99f, 1, "%0.4f"},       {5.0f, 1, "%0.3f"},       {50.0f, 1, "%0.2f"},
                {500.0f, 1, "%0.1f"},     {2000.0f, 1000, "%0.4f"},  {5000.0f, 1000, "%0.3f"}, {50000.0f, 1000, "%0.2f"},
                {499999.0f, 1000, "%0.2f"}, {500000.0f, 1000, "%0.1f"}});
}

TEST(VKTFormats, UnitTextsByMultiplier)
{
    EXPECT_EQ(vkt::PowerUnit(QStringLiteral("var"), 1000), QStringLiteral("kvar"));
    EXPECT_EQ(vkt::PowerUnit(QStringLiteral("VA"), 1000000), QStringLiteral("MVA"));
    EXPECT_EQ(vkt::VoltageUnit(1000), QStringLiteral("kV"));
}

} // namespace
