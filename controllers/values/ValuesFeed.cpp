#include "controllers/values/ValuesFeed.h"

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "controllers/values/DuskarValuesPanel.h"
#include "controllers/values/QorinHodnotyDlg.h"
#include "link/Pristroj.h"

namespace controllers {

bool FeedValues(CValuesDlgBase* pane, CPristroj& entry)
{
    CPristrojStatusTexts texts;
    if (auto* qorin = dynamic_cast<CQorinHodnotyDlg*>(pane)) {
        auto* store = dynamic_cast<CQorinArchivData*>(entry.GetArchivData());
        if (!store)
            return false;
        qorin->Fill(store->FormatValues(), entry.FillQorinStatusTexts(texts) ? &texts : nullptr);
        qorin->UpdateControls();
        qorin->Layout();
        return true;
    }
    if (auto* duskar = dynamic_cast<CDuskarValuesPanel*>(pane)) {
        auto* store = dynamic_cast<CDuskarArchivData*>(entry.GetArchivData());
        if (!store)
            return false;
        float ratio = 1;
        QString format;
        int multiplier = 1;
        store->GetScaleU(ratio, format, multiplier);
        duskar->SetVoltageUnits(multiplier);
        store->GetScaleI(ratio, format, multiplier);
        duskar->SetCurrentUnits(multiplier);
        store->GetScalePower(format, multiplier);
        duskar->SetPowerUnits(multiplier);
        duskar->Fill(store->FormatValues(), entry.FillDuskarStatusTexts(texts) ? &texts : nullptr);
        duskar->UpdateControls();
        duskar->Layout();
        return true;
    }
    return false;
}

} // namespace controllers
