#pragma once

#include "controllers/settings/DetailSheetBase.h"

#include <QTabWidget>
#include "controllers/settings/DuskarDetailAlarm.h"
#include "controllers/settings/DuskarDetailKompenzacniStupne.h"
#include "controllers/settings/DuskarDetailUdaj.h"
#include "model/DuskarConfig.h"
#include "model/Iden.h"

class CDuskarArchivData;

namespace controllers {

// What a Duskar model word means to the sheets.
struct DuskarModelFlags {
    BOOL thyristor = FALSE;   // model 18
    BOOL sixStep = FALSE;     // models 19 and 21
    BOOL singleTariff = FALSE; // models 21 and 22
};
DuskarModelFlags DuskarFlagsOfModel(int model);

// The Duskar settings sheet: data, steps, alarms and other settings of the
// controller's configuration, with its identification.
class CDuskarDetail : public CDetailSheetBase {
    Q_OBJECT
public:
    CDuskarDetail(const QString& title, QWidget* parent = nullptr);
    // The pages are members and go first: the tabs must not switch pages
    // while they do.
    ~CDuskarDetail() override { Tabs()->blockSignals(true); }

    BOOL ReadFromInstrument(IControllerIo& io, int previousResult) override;
    void RecomputeRatios();

    CIden m_iden;
    DuskarModelFlags m_flags;
    float m_kvarFactor = 0;
    CDuskarDetailUdaj m_data;
    CDuskarDetailKompenzacniStupne m_steps;
    CDuskarDetailAlarm m_alarms;
    CDuskarDetailOther m_other;
    CDuskarConfig m_config;

protected:
    bool StorePages() override;
    BOOL WriteRecord(IControllerIo& io) override;
    void QueueSentRecords(CArchivData* archive) override;
    bool LoadFile(const QString& path, QString& error) override;
    QByteArray FileBytes() const override;
    void AddReportPages(CSettingsReport& report) override;

private:
    void FillPages();
    CDuskarConfig m_sent;
};

// The Duskar settings of an archive, read-only.
class CDuskarDetailStatic : public ui::CPropertySheet {
    Q_OBJECT
public:
    CDuskarDetailStatic(const QString& title, QWidget* parent = nullptr);
    // The pages are members and go first: the tabs must not switch pages
    // while they do.
    ~CDuskarDetailStatic() override { Tabs()->blockSignals(true); }
    BOOL LoadFromArchive(CDuskarArchivData& archive);
    BOOL LoadFromConfig(const CDuskarConfig& config, int model);

    CDuskarDetailUdajStatic m_data;
    CDuskarDetailKompenzacniStupneStatic m_steps;
    CDuskarDetailAlarmStatic m_alarms;
    CDuskarDetailOtherStatic m_other;

private:
    CDuskarConfig m_config;
    float m_ctRatio = 0;
    float m_kvarFactor = 0;
};

void AddDuskarReport(CSettingsReport& report, const CDuskarDetailUdaj& data,
                     const CDuskarDetailKompenzacniStupne& steps, const CDuskarDetailAlarm& alarms,
                     const CDuskarDetailOther& other);

} // namespace controllers
