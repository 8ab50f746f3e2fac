#pragma once

#include "controllers/settings/DetailAlarm.h"
#include "controllers/settings/DetailSheetBase.h"

#include <QTabWidget>
#include "controllers/settings/DetailUdaj.h"
#include "controllers/settings/KompenzacniStupne.h"
#include "model/QorinConfig.h"

class CQorinArchivData;

namespace controllers {

// The Qorin settings sheet: data, stages (the two-section stage page on
// models 1 and 2) and alarms of the controller's configuration.
class CPristrojDetail : public CDetailSheetBase {
    Q_OBJECT
public:
    CPristrojDetail(const QString& title, QWidget* parent = nullptr);
    // The pages are members and go first: the tabs must not switch pages
    // while they do.
    ~CPristrojDetail() override { Tabs()->blockSignals(true); }

    BOOL ReadFromInstrument(IControllerIo& io, int previousResult) override;
    // Recomputes the CT ratio from the data page.
    void RecomputeRatios();

    CKompenzacniStupne& StagePageInUse() { return m_twoSection ? m_stagesN : m_stages; }
    int Model() const { return m_model; }

    CDetailUdaj m_data;
    CKompenzacniStupne m_stages;
    CKompenzacniStupneN m_stagesN;
    CDetailAlarm m_alarms;
    CConfig m_config;
    BOOL m_twoSection = FALSE;

protected:
    bool StorePages() override;
    BOOL WriteRecord(IControllerIo& io) override;
    void QueueSentRecords(CArchivData* archive) override;
    bool LoadFile(const QString& path, QString& error) override;
    QByteArray FileBytes() const override;
    void AddReportPages(CSettingsReport& report) override;

private:
    void EnsurePages();
    void FillPages();
    int ModelFromStore() const;

    bool m_pagesAdded = false;
    int m_model = 3;
    CConfig m_sent;
};

// The Qorin settings of an archive, read-only.
class CPristrojDetailStatic : public ui::CPropertySheet {
    Q_OBJECT
public:
    CPristrojDetailStatic(const QString& title, QWidget* parent = nullptr);
    // The pages are members and go first: the tabs must not switch pages
    // while they do.
    ~CPristrojDetailStatic() override { Tabs()->blockSignals(true); }
    BOOL LoadFromArchive(CQorinArchivData& archive);
    // The same fill from a record and a model number.
    BOOL LoadFromConfig(const CConfig& config, int model);

    CDetailUdajStatic m_data;
    CKompenzacniStupneStatic m_stages;
    CDetailAlarmStatic m_alarms;
    CKompenzacniStupneNStatic m_stagesN;

private:
    CConfig m_config;
    bool m_pagesAdded = false;
};

// The report lines of the Qorin pages (data, stages, alarms).
void AddQorinReport(CSettingsReport& report, const CDetailUdaj& data, const CKompenzacniStupne& stages,
                    const CDetailAlarm& alarms);

} // namespace controllers
