#include "charts/QorinStatPanel.h"

CQorinStatSettings CQorinStatPanel::Defaults()
{
    // Shown until the first run over an archive, which takes the nominal
    // current from the instrument's current transformer instead.
    CQorinStatSettings s;
    s.window1 = 60;
    s.window2 = 60;
    s.nominalVoltage = 230.0f;
    s.nominalVoltageLine = 398.37167f;
    s.nominalCurrent = 5.0f;
    s.nominalPower = 3450.0f;
    s.requiredPowerFactor = 0.98f;
    s.fromInstrument = 1;
    s.filled = 0;
    return s;
}

CQorinStatPanel::CQorinStatPanel(QWidget* parent)
    : TVKFamilyStatPanel(&charts::stats::ComputeQorinStatistics, parent)
{
    GetSettings() = Defaults();
}
