// Analogue and binary inputs, their names, the title and the description.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "host.h"

using host::call;
using host::i;

namespace {

constexpr int32_t channel_error = -777;

struct name_case {
    const char *operation;
    int32_t index;
    const char *expected;  // Windows-1252 bytes
};

const name_case name_cases[] = {
    {"nea", 0, "secondes du jour"},
    {"nea", 1, ""},
    {"nea", -1, ""},
    {"nead", 0, "secondes du jour"},
    {"nead", 1, "date.heure"},
    {"nead", 2, ""},
    {"nead", -1, ""},
    {"neb", 0, "EB fictive 0"},
    {"neb", 1, "EB fictive 1"},
    {"neb", 2, ""},
    {"neb", -1, ""},
    {"neb", INT32_MIN, ""},
};

// The clock the module reads, in place of GetLocalTime.
SYSTEMTIME fixed_time;
void WINAPI fixed_local_time(SYSTEMTIME *now) { *now = fixed_time; }

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD millisecond) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = millisecond;
    return t;
}

struct clock_case {
    const char *what;
    SYSTEMTIME time;
    int32_t seconds;  // ea 0
    double serial;    // ead 1
};

const clock_case clock_cases[] = {
    {"one millisecond before midnight", at(2010, 4, 21, 23, 59, 59, 999), 86399, 40289.0 + 86399999.0 / 86400000.0},
    {"midnight", at(2010, 4, 22, 0, 0, 0, 0), 0, 40290.0},
    {"noon, 1 January 2000", at(2000, 1, 1, 12, 0, 0, 0), 43200, 36526.5},
    {"leap day", at(2024, 2, 29, 6, 0, 0, 0), 21600, 45351.25},
    {"day after a leap day", at(2024, 3, 1, 0, 0, 0, 0), 0, 45352.0},
    {"day 0", at(1899, 12, 30, 0, 0, 0, 0), 0, 0.0},
    {"milliseconds in the fraction", at(2026, 12, 11, 0, 0, 1, 500), 1, 46367.0 + 1500.0 / 86400000.0},
    {"end of a century year that is not leap", at(1900, 3, 1, 0, 0, 0, 0), 0, 61.0},
};

DWORD WINAPI report_control_word(void *) { return host::control_word(); }

}  // namespace

TEST(Inputs, NamesAreTheModulesTextsAndNeverNull) {
    for (const auto &c : name_cases) {
        const char *name = call(c.operation, {i(c.index)}).as_text();
        ASSERT_NE(name, nullptr) << c.operation << "(" << c.index << ")";
        EXPECT_STREQ(name, c.expected) << c.operation << "(" << c.index << ")";
    }
}

TEST(Inputs, BinaryInputsAreConstants) {
    EXPECT_EQ(call("eb", {i(0)}).as_int(), 0);
    EXPECT_EQ(call("eb", {i(1)}).as_int(), 1);
    for (int32_t index : {2, -1, 100, INT32_MIN, INT32_MAX})
        EXPECT_EQ(call("eb", {i(index)}).as_int(), channel_error) << index;
}

TEST(Inputs, OnlyIndexZeroIsAnIntegerClockChannel) {
    for (int32_t index : {1, 2, -1, INT32_MIN})
        EXPECT_EQ(call("ea", {i(index)}).as_int(), channel_error) << index;
}

TEST(Inputs, RealClockChannelsAreZeroAndOne) {
    for (int32_t index : {2, -1, INT32_MIN})
        EXPECT_EQ(call("ead", {i(index)}).as_real(), -777.0) << index;
}

TEST(Inputs, TitleAndDescriptionAreWindows1252Bytes) {
    const char *title = call("titre", {}).as_text();
    EXPECT_STREQ(title, "Syst\xE8me PC");
    EXPECT_EQ(std::strlen(title), 10u);
    const char *description = call("detail", {}).as_text();
    EXPECT_STREQ(description, "DLL (32 bits) pour syst\xE8me PC, par Tarvelec, le 21 avril 2010");
    EXPECT_EQ(std::strlen(description), 61u);
}

TEST(Clock, FixedTimes) {
    host::import_scope clock(host::module(), "kernel32.dll", "GetLocalTime",
                             reinterpret_cast<void *>(&fixed_local_time));
    for (const auto &c : clock_cases) {
        fixed_time = c.time;
        EXPECT_EQ(call("ea", {i(0)}).as_int(), c.seconds) << c.what;
        EXPECT_EQ(call("ead", {i(0)}).as_real(), static_cast<double>(c.seconds)) << c.what;
        EXPECT_DOUBLE_EQ(call("ead", {i(1)}).as_real(), c.serial) << c.what;
    }
}

TEST(Clock, SerialIsADoubleEvenUnderExtendedPrecision) {
    host::import_scope clock(host::module(), "kernel32.dll", "GetLocalTime",
                             reinterpret_cast<void *>(&fixed_local_time));
    host::control_word_scope extended(0x037F);
    fixed_time = at(2026, 12, 11, 13, 14, 15, 678);
    const long double st0 = call("ead", {i(1)}).st0;
    EXPECT_EQ(st0, static_cast<long double>(static_cast<double>(st0)));
}

TEST(Clock, RealClockAgreesWithTheHostsOwn) {
    SYSTEMTIME before, after;
    GetLocalTime(&before);
    const int32_t seconds = call("ea", {i(0)}).as_int();
    const double whole = call("ead", {i(0)}).as_real();
    const double serial = call("ead", {i(1)}).as_real();
    GetLocalTime(&after);
    ASSERT_EQ(before.wDay, after.wDay) << "the day changed during the test";
    const int32_t low = before.wHour * 3600 + before.wMinute * 60 + before.wSecond;
    const int32_t high = after.wHour * 3600 + after.wMinute * 60 + after.wSecond;
    EXPECT_GE(seconds, low);
    EXPECT_LE(seconds, high);
    EXPECT_GE(whole, seconds);
    EXPECT_LE(whole, high);
    EXPECT_EQ(whole, std::floor(whole));
    EXPECT_GE(serial - std::floor(serial), (low * 1000.0 - 1) / 86400000.0);
    EXPECT_LE(serial - std::floor(serial), (high * 1000.0 + 1000) / 86400000.0);
}

TEST(ControlWord, LoadingAndCallingKeepsTheHostsControlWord) {
    // A fresh copy, so that its start-up runs under this test's control word.
    host::module_copy copy;
    const uint16_t up_53_bit = 0x0A7F;
    {
        host::control_word_scope scope(up_53_bit);
        HMODULE fresh = LoadLibraryA(copy.path().c_str());
        ASSERT_NE(fresh, nullptr);
        EXPECT_EQ(host::control_word(), up_53_bit) << "after LoadLibrary";
        host::call_in(fresh, "ead", {i(1)});
        host::call_in(fresh, "eadouble", {host::d(1.0)});
        // A thread started after the load gets the module's thread attach.
        HANDLE thread = CreateThread(nullptr, 0, report_control_word, nullptr, 0, nullptr);
        WaitForSingleObject(thread, INFINITE);
        DWORD thread_word = 0;
        GetExitCodeThread(thread, &thread_word);
        CloseHandle(thread);
        EXPECT_EQ(thread_word, host::cw_default) << "a new thread's control word";
        EXPECT_EQ(host::control_word(), up_53_bit) << "after calls";
        FreeLibrary(fresh);
        EXPECT_EQ(host::control_word(), up_53_bit) << "after FreeLibrary";
    }
}
