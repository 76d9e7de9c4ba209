// Date and time as text, for the error log: the user's default format and
// the fixed stamp pattern.
#pragma once

#include <ctime>
#include <string>

// Local date and time in the user's default format (the locale's short date,
// a blank, its long time); the time is left off at exactly midnight. The
// user's format is that of the environment's locale (LC_ALL, LC_TIME, LANG);
// an unknown locale gives the C locale's format.
std::string DateTimeToStr(std::time_t time);

// Local date and time as "yyyy-mm-dd hh:mm:ss" (24-hour clock; the time
// separator of this platform's locales is ":").
std::string FormatLogStamp(std::time_t time);
