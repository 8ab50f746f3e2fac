#include "charts/QorinStatPanel.h"

CQorinStatPanel::CQorinStatPanel(QWidget* parent)
    : TVKFamilyStatPanel(&charts::stats::ComputeQorinStatistics, parent)
{
    // The panel's own defaults, kept for its life: a 5 A meter at 230 V.
    CQorinStatSettings& s = GetSettings();
    s.window1 = 60;
    s.window2 = 60;
    s.nominalVoltage = 230.0f;
    s.nominalVoltageLine = 398.37167f;
    s.nominalCurrent = 5.0f;
    s.nominalPower = 3450.0f;
    s.requiredPowerFactor = 0.98f;
    s.fromInstrument = 1;
    s.filled = 1;
}
