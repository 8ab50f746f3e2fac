#pragma once

#include "analysers_vk/VKSettingsIo.h"
#include "model/Iden.h"
#include "model/VKConfig.h"
#include "model/VKNoteBook.h"
#include "model/VKOutputConfig.h"
#include "model/VKStatus.h"

#include <QStringList>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace vktest {

// A VK analyser whose settings requests the test scripts: each request
// takes the next answer of its queue (true when the queue is empty) and is
// logged by name; what is written is kept, reads give what the fake holds.
class FakeVKSettings : public analysers_vk::IVKSettingsIo {
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
    CVKConfig config;
    analysers_vk::ModemBlock modem{};
    CIden iden;
    CVKOutputConfig outputs;
    CVKStatus status;
    CVKNoteBook notebook;
    std::vector<std::string> log;
    QStringList events;
    int resyncs = 0, configRecords = 0, yields = 0;

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

} // namespace vktest
