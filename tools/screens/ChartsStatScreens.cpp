// The statistics settings dialogs of the VK and VKT, VKR and Qorin archives.
#include "tools/screens/Screens.h"

#include "charts/StatQorinSettingsDlg.h"
#include "charts/StatSettingsDlg.h"

QORIN_SCREENS(ChartsStatistics)
{
    {
        CStatSettingsDlg dialog;
        dialog.Load(CVKStatSettings());
        shot.save(&dialog, QStringLiteral("CStatSettingsDlg"));
    }
    {
        CStatSettingsDlg2 dialog;
        dialog.Load(CVKRStatSettings());
        shot.save(&dialog, QStringLiteral("CStatSettingsDlg2"));
    }
    {
        CQorinStatSettingsDlg dialog;
        CQorinStatSettings record;
        record.fromInstrument = 0;
        dialog.Load(record);
        shot.save(&dialog, QStringLiteral("CQorinStatSettingsDlg"));
    }
}
