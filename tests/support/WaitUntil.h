#pragma once

#include <functional>

namespace testsupport {

// Polls `done` until it holds or `limitMs` of real time have passed; true
// when it held. For threads that take their time: the bound is generous so a
// loaded machine does not fail the test, and a test that waits the whole
// bound has found a fault (a thread that never got there).
bool WaitUntil(const std::function<bool()>& done, int limitMs = 20000);

} // namespace testsupport
