#pragma once

#include <deque>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace support {

// What a fake instrument's requests share: each request takes the next
// answer of its queue (true when the queue is empty) and is logged by name.
class ScriptedAnswers {
public:
    // Scripts `name`'s next answers.
    void Script(const std::string& name, std::initializer_list<bool> answers)
    {
        auto& q = m_answers[name];
        q.insert(q.end(), answers);
    }
    int Calls(const std::string& name) const
    {
        int n = 0;
        for (const auto& c : log)
            n += c == name ? 1 : 0;
        return n;
    }

    std::vector<std::string> log;

protected:
    // Logs the request; runs `onSuccess` when its answer is true.
    template <class Fn>
    bool Answer(const std::string& name, Fn&& onSuccess)
    {
        log.push_back(name);
        bool a = true;
        auto& q = m_answers[name];
        if (!q.empty()) {
            a = q.front();
            q.pop_front();
        }
        if (a)
            onSuccess();
        return a;
    }

private:
    std::map<std::string, std::deque<bool>> m_answers;
};

} // namespace support
