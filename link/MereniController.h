#pragma once

#include "archive/store/DuskarArchivData.h"
#include "archive/store/QorinArchivData.h"
#include "link/Mereni.h"
#include "model/Iden.h"

// The power-factor controllers: settings and values (Qorin) or settings and
// identification (Duskar) at activation, one values read per poll, the
// controller's state texts and its alarms.
template <class Archive>
class CControllerMereni : public CMereni {
public:
    using Config = typename Archive::Config;
    using Values = typename Archive::Values;

    explicit CControllerMereni(std::shared_ptr<CLinkEnvironment> env) : CMereni(0.5F, std::move(env)) {}

protected:
    int Poll(BOOL late) override;
    bool IsAnalyser() const override { return false; }
    QString Extension() const override { return Archive::Extension(); }
    const int* ControlSettingsAdds() const override;
    virtual BOOL ReadValues(Values& values) = 0;
    virtual BOOL ReadConfig(Config& config) = 0;

    Config m_config;
    Values m_values;

private:
    Archive* Store() const { return dynamic_cast<Archive*>(Archiv()); }
    // The settings record once, for the archive; a failure only costs score.
    void ReadConfigOnce(Archive& archiv);
    // Queues the values after the state texts; FALSE when the state kept
    // them out (the rest of the poll then counts as late).
    BOOL StoreValues(Archive& archiv);
    // Fault text and alarm texts of the newest kept values; FALSE when the
    // alarms could not be read.
    BOOL CheckAlarms(Archive& archiv);
};

class CQorinMereni : public CControllerMereni<CQorinArchivData> {
public:
    explicit CQorinMereni(std::shared_ptr<CLinkEnvironment> env = nullptr) : CControllerMereni(std::move(env)) {}

protected:
    BOOL ReadFamilyRecords(const int* settingsAdds, const int* secondAdds) override;
    const int* ControlSecondAdds() const override { return ControlSettingsAdds(); }
    BOOL ReadValues(CQorinAktData& values) override { return Entry()->ReadQorinValues(values); }
    BOOL ReadConfig(CConfig& config) override { return Entry()->ReadQorinConfig(config); }
};

class CDuskarMereni : public CControllerMereni<CDuskarArchivData> {
public:
    explicit CDuskarMereni(std::shared_ptr<CLinkEnvironment> env = nullptr) : CControllerMereni(std::move(env)) {}

protected:
    BOOL ReadFamilyRecords(const int* settingsAdds, const int* secondAdds) override;
    BOOL ReadValues(CDuskarAktData& values) override { return Entry()->ReadDuskarValues(values); }
    BOOL ReadConfig(CDuskarConfig& config) override { return Entry()->ReadDuskarConfig(config); }

private:
    CIden m_iden;
};
