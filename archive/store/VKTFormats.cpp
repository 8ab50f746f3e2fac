#include "archive/store/VKTFormats.h"

namespace {

struct Row {
    double from; // the row applies from this ratio on (inclusive)
    int multiplier;
    const char* format;
};

// The rows of a table in ascending order: the last row whose bound the ratio
// reaches; below the first bound the first row.
template <std::size_t N>
void Pick(const Row (&rows)[N], double ratio, QString& format, int& multiplier)
{
    const Row* chosen = &rows[0];
    for (const Row& row : rows) {
        if (ratio >= row.from)
            chosen = &row;
    }
    format = QLatin1String(chosen->format);
    multiplier = chosen->multiplier;
}

} // namespace

void ChooseVoltageFormat(float ratio, QString& format, int& multiplier)
{
    multiplier = 1;
    if (ratio > 0.99f && ratio < 1.01f) {
        format = QStringLiteral("%0.1f");
    } else if (ratio * 16.0f < 600.0f) {
        format = ratio <= 15.0f ? QStringLiteral("%0.2f") : QStringLiteral("%0.1f");
    } else if (ratio < 150.0f) {
        multiplier = 1000;
        format = QStringLiteral("%0.4f");
    } else if (ratio < 1500.0f) {
        multiplier = 1000;
        format = QStringLiteral("%0.3f");
    } else if (ratio <= 15000.0f) {
        multiplier = 1000;
        format = QStringLiteral("%0.2f");
    } else {
        multiplier = 1000;
        format = QStringLiteral("%0.1f");
    }
}

void ChoosePowerFormat(float ratio, QString& format, int& multiplier)
{
    static const Row rows[] = {
        {0.0, 1, "%0.1f"},          {20.0, 1000, "%0.5f"},      {50.0, 1000, "%0.4f"},
        {500.0, 1000, "%0.3f"},     {2000.0, 1000000, "%0.5f"}, {5000.0, 1000000, "%0.4f"},
        {50000.0, 1000000, "%0.3f"}, {500000.0, 1000000, "%0.2f"}, {50000000.0, 1000000, "%0.1f"},
    };
    Pick(rows, double(ratio), format, multiplier);
}

void ChooseCurrentFormat(float ratio, QString& format, int& multiplier)
{
    static const Row rows[] = {
        {0.0, 1, "%0.4f"},       {5.0, 1, "%0.3f"},        {50.0, 1, "%0.2f"},        {500.0, 1, "%0.1f"},
        {2000.0, 1000, "%0.4f"}, {5000.0, 1000, "%0.3f"}, {50000.0, 1000, "%0.2f"}, {500000.0, 1000, "%0.1f"},
    };
    Pick(rows, double(ratio), format, multiplier);
}

namespace vkt {

QString VoltageUnit(int multiplier)
{
    return multiplier == 1 ? QStringLiteral("V") : QStringLiteral("kV");
}

QString CurrentUnit(int multiplier)
{
    return multiplier == 1 ? QStringLiteral("A") : QStringLiteral("kA");
}

QString PowerUnit(const QString& base, int multiplier)
{
    if (multiplier == 1)
        return base;
    return (multiplier == 1000 ? QStringLiteral("k") : QStringLiteral("M")) + base;
}

} // namespace vkt
