// The statistics settings dialogs of the VK and VKT, VKR and Qorin archives,
// the period dialogs beside the statistics tabs, and the result tabs of a VK
// archive recorded by the store.
#include "tools/screens/Screens.h"

#include "tools/screens/ScreensArchive.h"

#include "archive/documents/ArchivDocData.h"
#include "archive/store/VKArchivData.h"
#include "charts/StatPeriodDlg.h"
#include "charts/StatQorinSettingsDlg.h"
#include "charts/StatSettingsDlg.h"
#include "charts/StatPanel.h"

#include <QTabBar>


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
    {
        CArchivePeriodDlg period(CArchivePeriodDlg::kVK);
        period.resize(240, 330);
        period.periodStart = QStringLiteral("01.02.2009 10:00:00");
        period.periodEnd = QStringLiteral("02.02.2009 10:00:00");
        period.total = QStringLiteral("1 den 0:00:00");
        period.recordDuration = QStringLiteral("23:58:00");
        period.recordInterval = QStringLiteral("60 s");
        period.UpdateData();
        shot.save(&period, QStringLiteral("CArchivePeriodDlg"));
    }
    {
        CQorinPeriodDlg period;
        period.resize(240, 380);
        period.periodStart = QStringLiteral("01.02.2009 10:00:00");
        period.periodEnd = QStringLiteral("01.02.2009 18:00:00");
        period.total = QStringLiteral("8:00:00");
        period.recordDuration = QStringLiteral("7:45:00");
        period.recordInterval = QStringLiteral("15 s");
        period.powerFactor = QStringLiteral("0.98/0.95");
        period.UpdateData();
        shot.save(&period, QStringLiteral("CQorinPeriodDlg"));
    }
    {
        const QString path = screens::WriteVKArchive(shot.scratchDir(), QStringLiteral("statistika"),
                                                     QStringLiteral(".vk"), QStringLiteral("Rozvodna R1"),
                                                     platform::CTime(1233478800), 240);
        TArchivDocData<CVKArchivData> data;
        if (path.isEmpty() || !data.Open(path) || !data.OpenAtEnd()) {
            shot.fail(QStringLiteral("no VK archive for the statistics"));
            return;
        }
        platform::CTime first;
        platform::CTime last;
        data.GetFileRange(first, last);
        data.SetWindow(first, last);
        CVKStatPanel panel;
        panel.resize(980, 520);
        panel.SetArchivData(&data, &data);
        panel.Refresh();
        // The segment with the records.
        panel.Tabs().Segments().setCurrentIndex(panel.ResultCount() - 1);
        shot.save(&panel, QStringLiteral("CVKStatPanel"));
        panel.Tabs().Quantities().SelectTab(2);
        shot.save(&panel.Tabs(), QStringLiteral("CStatTabCtrl-power"));
        panel.FreeResults();
        data.Close();
    }
}
