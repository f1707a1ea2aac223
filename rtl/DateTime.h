// Dates and times as the class library keeps them: a real number of days since 30.12.1899,
// the fraction being the time of day. Texts use one short format for the whole program:
// "dd.mm.yyyy" for dates and "hh:nn:ss" for times (24-hour clock).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

using TDateTime = double;

// Day number of a calendar date; EConvertError when the date does not exist
// (years 1..9999, months 1..12, days of that month).
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeTime(int hour, int minute, int second, int msec = 0);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& minute, int& second, int& msec);

// The local date and time now; Date() is today at midnight.
TDateTime Now();
TDateTime Date();

// "dd.mm.yyyy", "hh:nn:ss", and both joined by one blank.
std::string DateToStr(TDateTime date);
std::string TimeToStr(TDateTime time);
std::string DateTimeToStr(TDateTime dateTime);

// Reads a date in the short format: day, month and year separated by '.', leading and
// trailing blanks allowed, one or two digits for day and month, two or four for the year
// (two-digit years below 50 are 20yy, the others 19yy). EConvertError
// "'%s' is not a valid date" for anything else.
TDateTime StrToDate(std::string_view text);
bool TryStrToDate(std::string_view text, TDateTime& date);

}  // namespace rtl
