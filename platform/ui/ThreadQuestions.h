#pragma once

#include "platform/ui/MessageBox.h"

namespace ui {

// From any thread, the user's answer to a question. On the GUI thread as
// ShowMessageBox. From another thread the box is shown on the GUI thread as
// soon as it is free (or from ServeWaitingQuestions) and the caller waits
// for the answer. While questions are refused it gets the answer of closing
// the box (No, Cancel or OK) at once, with no box. `secondDefault`: the
// second button is the default (a question whose first answer destroys
// something: Enter must not give it).
MsgAnswer AskAndWait(const MessageBoxRequest& request, bool secondDefault = false);

// GUI thread: shows the questions other threads wait on now. For a GUI
// thread that itself waits for such a thread. True when a box was shown.
bool ServeWaitingQuestions();

// Refused: every question waiting, and every one asked later, gets the
// answer of closing the box. The program's way out refuses them before it
// waits for its threads, which must not wait for a box nobody shows.
void RefuseThreadQuestions(bool refuse);

} // namespace ui
