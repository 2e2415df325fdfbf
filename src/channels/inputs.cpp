// Analogue inputs (the clock), binary inputs (constants), title and description.
#include <windows.h>

#include "channels.h"

namespace {

constexpr text analogue_input_names_int[] = {
    "secondes du jour",  // 0: seconds since local midnight
};

constexpr text analogue_input_names_real[] = {
    "secondes du jour",  // 0: the same count, as a real
    "date.heure",        // 1: local date-time serial
};

constexpr text binary_input_names[] = {
    "EB fictive 0",  // 0: always 0
    "EB fictive 1",  // 1: always 1
};

// Windows-1252: 0xE8 is the "e" with grave accent.
constexpr char title[] = "Syst\xE8me PC";
constexpr char description[] = "DLL (32 bits) pour syst\xE8me PC, par Tarvelec, le 21 avril 2010";

constexpr double milliseconds_per_day = 86400000.0;

// Days from 1 March of year 0 in the proleptic Gregorian calendar.
constexpr int32_t days_from_civil(int32_t year, int32_t month, int32_t day) {
    year -= month <= 2;
    const int32_t era = (year >= 0 ? year : year - 399) / 400;
    const int32_t year_of_era = year - era * 400;
    const int32_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int32_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era;
}

// Day 0 of the date-time serial.
constexpr int32_t serial_epoch = days_from_civil(1899, 12, 30);

int32_t seconds_of_day(const SYSTEMTIME &now) {
    return now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
}

double date_time_serial(const SYSTEMTIME &now) {
    const int32_t day = days_from_civil(now.wYear, now.wMonth, now.wDay) - serial_epoch;
    const int32_t milliseconds = seconds_of_day(now) * 1000 + now.wMilliseconds;
    return as_double(day + milliseconds / milliseconds_per_day);
}

}  // namespace

int32_t PLOKVAR_REGISTER ea(int32_t index) {
    if (index != 0) return channel_error;
    SYSTEMTIME now;
    GetLocalTime(&now);
    return seconds_of_day(now);
}

double PLOKVAR_REGISTER ead(int32_t index) {
    if (index == 0) return ea(0);
    if (index != 1) return channel_error_real;
    SYSTEMTIME now;
    GetLocalTime(&now);
    return date_time_serial(now);
}

text PLOKVAR_REGISTER nea(int32_t index) { return channel_name(analogue_input_names_int, index); }
text PLOKVAR_REGISTER nead(int32_t index) { return channel_name(analogue_input_names_real, index); }

int32_t PLOKVAR_REGISTER eb(int32_t index) {
    const uint32_t channel = static_cast<uint32_t>(index);
    return channel < 2 ? index : channel_error;
}

text PLOKVAR_REGISTER neb(int32_t index) { return channel_name(binary_input_names, index); }

text PLOKVAR_REGISTER titre() { return title; }
text PLOKVAR_REGISTER detail() { return description; }
