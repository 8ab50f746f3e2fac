#pragma once

#include <QLoggingCategory>

// Diagnostics of the link layer for problems met in the field, off by
// default. Switched on without a new build through the Qt logging rules, e.g.
//   QT_LOGGING_RULES="qorin.link.*.debug=true" qorin01 2> link.log
// exchanges: every request with port, address, command and outcome;
// measurement: the thread's decisions (missed and skipped polls, hand-overs,
// boxes, activation).
Q_DECLARE_LOGGING_CATEGORY(lcLinkExchange)
Q_DECLARE_LOGGING_CATEGORY(lcMereni)

// An invariant the code after it relies on. A debug build stops at once
// when it is broken; a release build logs it and the caller takes its safe
// way out, e.g. `if (!QORIN_VERIFY(entry)) return 0;`.
#define QORIN_VERIFY(condition) qorinVerify(bool(condition), #condition, __FILE__, __LINE__)

bool qorinVerify(bool holds, const char* condition, const char* file, int line);
