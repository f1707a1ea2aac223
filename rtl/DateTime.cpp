#include "rtl/DateTime.h"

#include <cmath>
#include <ctime>

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

namespace rtl {
namespace {

constexpr int64_t kDaysTo1899 = 693594;  // day number of 30.12.1899, counting 01.01.0001 as day 1
constexpr double kMsPerDay = 86400000.0;

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

std::string TwoDigits(int v) {
    return std::string{static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
}

// Reads up to maxDigits decimal digits; false when there are none.
bool ReadNumber(std::string_view text, size_t& i, size_t maxDigits, int& value, size_t& digits) {
    value = 0;
    digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < maxDigits) {
        value = value * 10 + (text[i] - '0');
        ++i;
        ++digits;
    }
    return digits > 0;
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    int64_t days = day;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    const int64_t y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    date = static_cast<double>(days - kDaysTo1899);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date))
        throw EConvertError(Format("Invalid argument to date encode (%d.%d.%d)", {day, month, year}));
    return date;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return ((hour * 60 + minute) * 60 * 1000.0 + second * 1000.0 + msec) / kMsPerDay;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    // Whole days since 01.01.0001 (counted from 0), split into 400-, 100-, 4- and 1-year blocks.
    int64_t n = static_cast<int64_t>(std::floor(date)) + kDaysTo1899 - 1;
    if (n < 0 || n >= 3652059) {
        year = month = day = 0;
        return;
    }
    int64_t y = 1;
    y += n / 146097 * 400;
    n %= 146097;
    int64_t c = n / 36524;
    if (c == 4) c = 3;
    y += c * 100;
    n -= c * 36524;
    y += n / 1461 * 4;
    n %= 1461;
    int64_t a = n / 365;
    if (a == 4) a = 3;
    y += a;
    n -= a * 365;
    year = static_cast<int>(y);
    month = 1;
    while (n >= DaysInMonth(year, month)) n -= DaysInMonth(year, month++);
    day = static_cast<int>(n) + 1;
}

void DecodeTime(TDateTime time, int& hour, int& minute, int& second, int& msec) {
    const double fraction = time - std::floor(time);
    int64_t ms = static_cast<int64_t>(std::llround(fraction * kMsPerDay));
    if (ms >= 86400000) ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    ::localtime_r(&now.tv_sec, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                      static_cast<int>(now.tv_nsec / 1000000));
}

TDateTime Date() { return std::floor(Now()); }

std::string DateToStr(TDateTime date) {
    int y = 0, m = 0, d = 0;
    DecodeDate(date, y, m, d);
    return TwoDigits(d) + "." + TwoDigits(m) + "." + TwoDigits(y / 100) + TwoDigits(y % 100);
}

std::string TimeToStr(TDateTime time) {
    int h = 0, n = 0, s = 0, ms = 0;
    DecodeTime(time, h, n, s, ms);
    return TwoDigits(h) + ":" + TwoDigits(n) + ":" + TwoDigits(s);
}

std::string DateTimeToStr(TDateTime dateTime) { return DateToStr(dateTime) + " " + TimeToStr(dateTime); }

bool TryStrToDate(std::string_view text, TDateTime& date) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    int day = 0, month = 0, year = 0;
    size_t digits = 0;
    if (!ReadNumber(text, i, 2, day, digits) || i >= text.size() || text[i++] != '.') return false;
    if (!ReadNumber(text, i, 2, month, digits) || i >= text.size() || text[i++] != '.') return false;
    if (!ReadNumber(text, i, 4, year, digits) || (digits != 2 && digits != 4)) return false;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return false;
    if (digits == 2) year += year < 50 ? 2000 : 1900;
    return TryEncodeDate(year, month, day, date);
}

TDateTime StrToDate(std::string_view text) {
    TDateTime date = 0;
    if (!TryStrToDate(text, date)) throw EConvertError(Format("'%s' is not a valid date", {std::string(text)}));
    return date;
}

}  // namespace rtl
