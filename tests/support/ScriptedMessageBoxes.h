#pragma once

#include "platform/ui/MessageBox.h"

#include <deque>
#include <utility>
#include <vector>

namespace ui {

// Answers the program's message boxes from a queue and records every request
// while it lives; with the queue empty it answers `otherwise`.
class ScriptedMessageBoxes {
public:
    explicit ScriptedMessageBoxes(MsgAnswer otherwise = MsgAnswer::Ok) : m_otherwise(otherwise)
    {
        m_previous = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
            m_requests.push_back(request);
            if (m_answers.empty())
                return m_otherwise;
            const MsgAnswer answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        });
    }
    ~ScriptedMessageBoxes() { SetMessageBoxHandler(std::move(m_previous)); }
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;

    void Answer(MsgAnswer answer) { m_answers.push_back(answer); }
    const std::vector<MessageBoxRequest>& Requests() const { return m_requests; }

private:
    std::deque<MsgAnswer> m_answers;
    std::vector<MessageBoxRequest> m_requests;
    MsgAnswer m_otherwise;
    MessageBoxHandler m_previous;
};

} // namespace ui
