#include "link/LinkLog.h"

Q_LOGGING_CATEGORY(lcLinkExchange, "qorin.link.exchange", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMereni, "qorin.link.measurement", QtWarningMsg)

bool qorinVerify(bool holds, const char* condition, const char* file, int line)
{
    if (!holds) {
        qCritical("invariant broken: %s (%s:%d)", condition, file, line);
        Q_ASSERT_X(false, file, condition);
    }
    return holds;
}
