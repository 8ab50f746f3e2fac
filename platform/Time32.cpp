#include "platform/Time32.h"

#include <QByteArray>

#include <array>
#include <cstdio>

namespace platform {
namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[std::size_t(m - 1)];
}

} // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
{
    m_time = kInvalid;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour < 0
        || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = dst < 0 ? -1 : (dst > 0 ? 1 : 0);
    const std::time_t t = std::mktime(&tm);
    if (t == std::time_t(-1) || t < 0 || t >= std::time_t(kInvalid))
        return;
    m_time = time_type(t);
}

CTime CTime::GetCurrentTime()
{
    return CTime(time_type(std::time(nullptr)));
}

bool CTime::GetLocalTm(std::tm& out) const
{
    if (!IsValid())
        return false;
    const std::time_t t = m_time;
    return localtime_r(&t, &out) != nullptr;
}

bool CTime::GetGmtTm(std::tm& out) const
{
    if (!IsValid())
        return false;
    const std::time_t t = m_time;
    return gmtime_r(&t, &out) != nullptr;
}

int CTime::GetYear() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_year + 1900 : 0; }
int CTime::GetMonth() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_mon + 1 : 0; }
int CTime::GetDay() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_mday : 0; }
int CTime::GetHour() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_hour : 0; }
int CTime::GetMinute() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_min : 0; }
int CTime::GetSecond() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_sec : 0; }
int CTime::GetDayOfWeek() const { std::tm tm{}; return GetLocalTm(tm) ? tm.tm_wday + 1 : 0; }

QString CTime::Format(const QString& format) const
{
    std::tm tm{};
    return GetLocalTm(tm) ? FormatTm(tm, format) : QString();
}

QString CTime::FormatGmt(const QString& format) const
{
    std::tm tm{};
    return GetGmtTm(tm) ? FormatTm(tm, format) : QString();
}

QString FormatTm(const std::tm& tm, const QString& format)
{
    QString out;
    out.reserve(format.size() + 16);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        bool noPad = false;
        QChar spec = format[++i];
        if (spec == u'#' && i + 1 < format.size()) {
            noPad = true;
            spec = format[++i];
        }
        auto num = [&](int v, int width) {
            out += noPad ? QString::number(v) : QString::number(v).rightJustified(width, u'0');
        };
        switch (spec.unicode()) {
        case 'd': num(tm.tm_mday, 2); break;
        case 'm': num(tm.tm_mon + 1, 2); break;
        case 'y': num(tm.tm_year % 100, 2); break;
        case 'Y': num(tm.tm_year + 1900, 4); break;
        case 'H': num(tm.tm_hour, 2); break;
        case 'I': num(tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12, 2); break;
        case 'M': num(tm.tm_min, 2); break;
        case 'S': num(tm.tm_sec, 2); break;
        case 'j': num(tm.tm_yday + 1, 3); break;
        case 'w': out += QString::number(tm.tm_wday); break;
        case '%': out += u'%'; break;
        default: {
            // Names and the remaining fields: the C library in the "C" locale.
            char buf[128];
            const char f[3] = {'%', char(spec.toLatin1()), 0};
            const std::size_t n = std::strftime(buf, sizeof buf, f, &tm);
            out += QString::fromLatin1(buf, qsizetype(n));
            break;
        }
        }
    }
    return out;
}

} // namespace platform
