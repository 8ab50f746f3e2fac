#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace ui {

// Runs a blocking instrument exchange on a worker thread while the GUI thread
// keeps painting behind an application-modal wait dialog, so no window
// freezes and no second request can be started meanwhile. Called from any
// other thread (or without a QApplication) it runs `task` directly.
bool RunInstrumentTask(QWidget* parent, const std::function<bool()>& task,
                       const QString& text = QString());

// `call` up to three times in all, sleeping `pause1` and then `pause2`
// milliseconds through `sleep` after a failed try while a try remains.
bool RetryThreeTimes(const std::function<bool()>& call, const std::function<void(int)>& sleep, int pause1,
                     int pause2);

} // namespace ui
