// Headers nearly every file of a target includes, compiled once per target.
// Each group is taken only when the target can see it, so one list serves
// the Qt-free libraries, the QtCore ones, the widget ones and the tests.
#pragma once
#ifdef __cplusplus

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#ifdef QT_CORE_LIB
#include <QtCore/QByteArray>
#include <QtCore/QDateTime>
#include <QtCore/QList>
#include <QtCore/QObject>
#include <QtCore/QString>
#include <QtCore/QStringList>
#include <QtCore/QVariant>
#endif

#ifdef QT_WIDGETS_LIB
#include <QtGui/QPainter>
#include <QtWidgets/QDialog>
#include <QtWidgets/QWidget>
#endif

#ifdef QORIN_TEST_PROGRAM
#include <gtest/gtest.h>
#endif

#endif
