#pragma once

#include "analysers_vk/VKSettingsIo.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"
#include "support/ScriptedAnswers.h"

#include <QStringList>

#include <vector>

namespace vktest {

// A VK analyser whose settings requests the test scripts (see
// support::ScriptedAnswers); what is written is kept, reads give what the
// fake holds.
class FakeVKSettings : public analysers_vk::IVKSettingsIo, public support::ScriptedAnswers {
public:
    QString Name() const override { return QStringLiteral("Rozvodna"); }
    QString SettingsFolder() const override { return folder; }

    bool ReadConfig(CVKConfig& c) override { return Answer("ReadConfig", [&] { c = config; }); }
    bool WriteConfig(const CVKConfig& c) override { return Answer("WriteConfig", [&] { config = c; }); }
    bool ReadModemBlock(analysers_vk::ModemBlock& b) override { return Answer("ReadModemBlock", [&] { b = modem; }); }
    bool WriteModemBlock(const analysers_vk::ModemBlock& b) override
    {
        return Answer("WriteModemBlock", [&] { modem = b; });
    }
    bool ReadIdentification(CIden& i) override { return Answer("ReadIdentification", [&] { i = iden; }); }
    bool ReadOutputConfig(CVKOutputConfig& o, const CIden&) override
    {
        return Answer("ReadOutputConfig", [&] { o = outputs; });
    }
    bool WriteOutputConfig(const CVKOutputConfig& o) override
    {
        return Answer("WriteOutputConfig", [&] { outputs = o; });
    }
    bool ReadStatus(CVKStatus& s) override { return Answer("ReadStatus", [&] { s = status; }); }
    bool WriteStatus(const CVKStatus& s) override { return Answer("WriteStatus", [&] { status = s; }); }
    bool ReadNoteBook(CVKNoteBook& n) override { return Answer("ReadNoteBook", [&] { n = notebook; }); }
    bool WriteNoteBook(const CVKNoteBook& n) override { return Answer("WriteNoteBook", [&] { notebook = n; }); }
    bool SetClock() override { return Answer("SetClock", [] {}); }
    void PostResync() override { ++resyncs; }
    void QueueConfigRecord(const CVKConfig&) override { ++configRecords; }
    void QueueEvent(const QString& text) override { events << text; }
    void Yield() override { ++yields; }

    QString folder;
    CVKConfig config;
    analysers_vk::ModemBlock modem{};
    CIden iden;
    CVKOutputConfig outputs;
    CVKStatus status;
    CVKNoteBook notebook;
    QStringList events;
    int resyncs = 0, configRecords = 0, yields = 0;
};

} // namespace vktest
