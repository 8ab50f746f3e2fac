#pragma once

#include "analysers_vkt/VKTSettingsIo.h"
#include "model/Iden.h"
#include "model/VKTConfig.h"
#include "model/VKTNoteBook.h"
#include "model/VKTOutputConfig.h"
#include "model/VKTStatus.h"

#include <QStringList>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace vkttest {

// A VKT analyser whose settings requests the test scripts: each request
// takes the next answer of its queue (true when the queue is empty) and is
// logged by name; what is written is kept, reads give what the fake holds.
class FakeVKTSettings : public analysers_vkt::IVKTSettingsIo {
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

    // Scripts `name`'s next answers.
    void Script(const std::string& name, std::initializer_list<bool> answers)
    {
        auto& q = answers_[name];
        q.insert(q.end(), answers);
    }
    int Calls(const std::string& name) const
    {
        int n = 0;
        for (const auto& c : log)
            n += c == name ? 1 : 0;
        return n;
    }

    QString folder;
    CVKTConfig config;
    analysers_vkt::ModemBlock modem{};
    CIden iden;
    CVKTOutputConfig outputs;
    CVKTStatus status;
    CVKTNoteBook notebook;
    std::vector<std::string> log;
    std::vector<int> sleeps;
    QStringList events;
    int resyncs = 0, configRecords = 0;

private:
    template <class Fn>
    bool Answer(const std::string& name, Fn&& onSuccess)
    {
        log.push_back(name);
        bool a = true;
        auto& q = answers_[name];
        if (!q.empty()) {
            a = q.front();
            q.pop_front();
        }
        if (a)
            onSuccess();
        return a;
    }
    std::map<std::string, std::deque<bool>> answers_;
};

} // namespace vkttest
