#pragma once

#include "analysers_vkt/VKTSettingsIo.h"
#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"
#include "support/ScriptedAnswers.h"

#include <QStringList>

#include <vector>

namespace vkttest {

// A VKT analyser whose settings requests the test scripts (see
// support::ScriptedAnswers); what is written is kept, reads give what the
// fake holds.
class FakeVKTSettings : public analysers_vkt::IVKTSettingsIo, public support::ScriptedAnswers {
public:
    QString Name() const override { return QStringLiteral("Trafostanice"); }
    QString SettingsFolder() const override { return folder; }

    bool ReadConfig(CVKTConfig& c) override { return Answer("ReadConfig", [&] { c = config; }); }
    bool WriteConfig(const CVKTConfig& c) override { return Answer("WriteConfig", [&] { config = c; }); }
    bool ReadModemBlock(analysers_vkt::ModemBlock& b) override
    {
        return Answer("ReadModemBlock", [&] { b = modem; });
    }
    bool WriteModemBlock(const analysers_vkt::ModemBlock& b) override
    {
        return Answer("WriteModemBlock", [&] { modem = b; });
    }
    bool ReadIdentification(CIden& i) override { return Answer("ReadIdentification", [&] { i = iden; }); }
    bool ReadOutputConfig(CVKTOutputConfig& o) override { return Answer("ReadOutputConfig", [&] { o = outputs; }); }
    bool WriteOutputConfig(const CVKTOutputConfig& o) override
    {
        return Answer("WriteOutputConfig", [&] { outputs = o; });
    }
    bool ReadStatus(CVKTStatus& s) override { return Answer("ReadStatus", [&] { s = status; }); }
    bool WriteStatus(const CVKTStatus& s) override { return Answer("WriteStatus", [&] { status = s; }); }
    bool ReadNoteBook(CVKTNoteBook& n) override { return Answer("ReadNoteBook", [&] { n = notebook; }); }
    bool WriteNoteBook(const CVKTNoteBook& n) override { return Answer("WriteNoteBook", [&] { notebook = n; }); }
    bool SetClock() override { return Answer("SetClock", [] {}); }
    void PostResync() override { ++resyncs; }
    void QueueConfigRecord(const CVKTConfig&) override { ++configRecords; }
    void QueueEvent(const QString& text) override { events << text; }
    void Sleep(int ms) override { sleeps.push_back(ms); }
    QString ErrorText() const override { return errorText; }

    QString folder;
    QString errorText;
    CVKTConfig config;
    analysers_vkt::ModemBlock modem{};
    CIden iden;
    CVKTOutputConfig outputs;
    CVKTStatus status;
    CVKTNoteBook notebook;
    std::vector<int> sleeps;
    QStringList events;
    int resyncs = 0, configRecords = 0;
};

} // namespace vkttest
