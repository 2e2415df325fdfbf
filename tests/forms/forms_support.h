// What the form tests share: calls from tables of cases, the module's devices
// and clock replaced in its import table, and a watch for the x87 exceptions
// a Pascal host would take.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host.h"

namespace forms {

using arguments = std::vector<host::argument>;

// A double given by its bits, copied without passing through the x87, so a
// signalling NaN reaches the module as one.
host::argument d_bits(uint64_t bits);

inline constexpr uint64_t quiet_nan = 0x7FF8000000000000ull;
inline constexpr uint64_t signalling_nan = 0x7FF0000000000001ull;
inline constexpr uint64_t negative_quiet_nan = 0xFFF8000000000000ull;

// host::call for arguments held in a table. Fails the test, naming the export
// and the control word, when the call leaves an invalid-operation, zero-divide
// or overflow exception raised or pending: under a Delphi or Free Pascal
// control word any of them is an exception in the host.
host::outcome call(const char *name, const arguments &args);
host::outcome call_in(HMODULE module, const char *name, const arguments &args);

// "cw 0x1332", for messages.
std::string describe_control_word(uint16_t word);
// "cw_1332": names a test run under a control word.
std::string control_word_test_name(const testing::TestParamInfo<uint16_t> &info);
// "sbdouble(0, 1.5)", for messages.
std::string describe_call(const std::string &name, const arguments &args);

// Starts a watch: clears the pending x87 exception flags and the count of
// exceptions taken.
void clear_x87_exceptions();
// What was raised or left pending since clear_x87_exceptions(), or "" when
// nothing was.
std::string x87_exceptions();

// The keyboard and the CD drive as the module sees them through its imports.
// The lock keys' toggle bits live here; key events flip them, as Windows does
// when a synthesised press arrives, and a written keyboard state replaces
// them. MCI command strings are recorded. Nothing reaches the Wine session.
class simulated_devices {
public:
    explicit simulated_devices(HMODULE module = host::module());
    ~simulated_devices();
    simulated_devices(const simulated_devices &) = delete;
    simulated_devices &operator=(const simulated_devices &) = delete;

    // Toggle bit of a lock key (VK_CAPITAL, VK_NUMLOCK, VK_SCROLL).
    static bool lock_on(BYTE key);
    static void set_lock(BYTE key, bool on);
    // Calls the module made into the keyboard or the CD drive.
    static int touches();
    static const std::vector<std::string> &mci_commands();
    static void forget_touches();

private:
    std::vector<std::unique_ptr<host::import_scope>> scopes;
};

// GetLocalTime of the module answers this time until the scope ends.
class fixed_clock {
public:
    explicit fixed_clock(const SYSTEMTIME &now, HMODULE module = host::module());
    ~fixed_clock();
    fixed_clock(const fixed_clock &) = delete;
    fixed_clock &operator=(const fixed_clock &) = delete;

private:
    host::import_scope scope;
};

constexpr SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD millisecond) {
    return {year, month, 0, day, hour, minute, second, millisecond};
}

// 21 April 2010, 09:05:37.500: the fraction of the day is 97/256, so the
// date-time serial is exact in a double and in a single whatever the
// precision and rounding mode.
inline constexpr SYSTEMTIME exact_time = at(2010, 4, 21, 9, 5, 37, 500);
inline constexpr int32_t exact_seconds = 32737;
inline constexpr double exact_serial = 40289.37890625;

// 21 April 2010, 13:14:15.678: a serial that no double holds exactly.
inline constexpr SYSTEMTIME inexact_time = at(2010, 4, 21, 13, 14, 15, 678);

}  // namespace forms
