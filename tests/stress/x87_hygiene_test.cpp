// Every export with a real or single result, called many times in a row. A
// callee that leaves one register too many on the x87 stack fills its eight
// registers within a few calls; from then on every load overflows and the
// results turn into NaN. QEMU's x87 wraps around without a stack fault, so
// the tag word after the loop is what shows a leak there.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host.h"
#include "stress_support.h"
#include "typed_calls.h"

using host::d;
using host::f;
using host::i;

namespace {

constexpr int calls_in_a_row = 100000;

// Everything the cases write goes to these, so the read-backs give the same
// value whatever order the exports are called in.
constexpr double recorded_real = 6.5;
constexpr int32_t recorded_binary = 1;  // in binary outputs 6 and 7, no device

struct hygiene_case {
    const char *name;
    std::vector<host::argument> arguments;
    double expected;
};

std::vector<hygiene_case> hygiene_cases() {
    const double seconds = stress::seconds_of_day(stress::fixed_time);
    const double serial = stress::date_time_serial(stress::fixed_time);
    const double error = -777.0;
    return {
        {"ead", {i(1)}, serial},
        {"stdead", {i(0)}, seconds},
        {"cead", {i(1)}, serial},
        {"eadouble", {d(1.0)}, serial},
        {"stdeadouble", {d(0.4)}, seconds},
        {"ceadouble", {d(2.5)}, error},
        {"sad", {i(0), d(recorded_real)}, recorded_real},
        {"stdsad", {i(0), d(recorded_real)}, recorded_real},
        {"csad", {i(1), d(3.0)}, error},
        {"sadouble", {d(0.0), d(recorded_real)}, recorded_real},
        {"stdsadouble", {d(-0.5), d(recorded_real)}, recorded_real},
        {"csadouble", {d(1.0), d(5.0)}, error},
        {"rsad", {i(0)}, recorded_real},
        {"stdrsad", {i(0)}, recorded_real},
        {"crsad", {i(-1)}, error},
        {"rsadouble", {d(0.0)}, recorded_real},
        {"stdrsadouble", {d(0.49)}, recorded_real},
        {"crsadouble", {d(std::nan(""))}, error},
        {"ebdouble", {d(1.0)}, 1.0},
        {"stdebdouble", {d(0.0)}, 0.0},
        {"cebdouble", {d(-1.0)}, error},
        {"sbdouble", {d(6.0), d(1.0)}, error},
        {"stdsbdouble", {d(7.4), d(1.4)}, error},
        {"csbdouble", {d(8.0), d(3.0)}, error},
        {"rsbdouble", {d(6.0)}, recorded_binary},
        {"stdrsbdouble", {d(7.0)}, recorded_binary},
        {"crsbdouble", {d(8.0)}, 0.0},
        {"stdeas", {i(123)}, 77.77f},
        {"ceas", {}, 77.77f},
        {"stdsas", {i(0), f(static_cast<float>(recorded_real))}, recorded_real},
        {"csas", {i(3), f(1.0f)}, error},
        {"stdrsas", {i(0)}, recorded_real},
        {"crsas", {i(1)}, error},
    };
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(X87Hygiene, RealResultsStayRightOverManyCallsInARow) {
    const HMODULE module = host::module();
    host::import_scope clock(module, "kernel32.dll", "GetLocalTime", reinterpret_cast<void *>(&stress::fixed_local_time));
    host::call("sad", {i(0), d(recorded_real)});
    host::call("sb", {i(6), i(recorded_binary)});
    host::call("sb", {i(7), i(recorded_binary)});

    std::map<std::string, hygiene_case> cases;
    for (auto &c : hygiene_cases()) cases.emplace(c.name, c);

    int covered = 0;
    for (const auto &row : host::export_rows()) {
        if (row.result != host::result_kind::real && row.result != host::result_kind::single) continue;
        auto found = cases.find(row.name);
        ASSERT_NE(found, cases.end()) << row.name << " has a real result and no case here";
        const hygiene_case &c = found->second;
        ++covered;

        const stress::real_call call = stress::bind_real_call(module, row, c.arguments);
        stress::clear_x87_exceptions();
        int wrong = 0, first_wrong = -1;
        double first_wrong_value = 0;
        for (int n = 0; n < calls_in_a_row; ++n) {
            const double result = call();
            if (!same_bits(result, c.expected)) {
                if (wrong++ == 0) {
                    first_wrong = n;
                    first_wrong_value = result;
                }
            }
        }
        const stress::x87_state after = stress::current_x87_state();
        EXPECT_EQ(wrong, 0) << row.name << ": first wrong result at call " << first_wrong << ": " << first_wrong_value
                            << " instead of " << c.expected;
        EXPECT_EQ(after.tags, stress::x87_all_empty) << row.name << ": registers left in use after the loop";
        EXPECT_EQ(after.status & stress::x87_stack_fault, 0) << row.name << ": x87 stack overflowed during the loop";

        // The same export once more through the checking thunk: depth 1, value right.
        const host::outcome checked = host::call_in(module, row.name, c.arguments);
        const double value = row.result == host::result_kind::single ? checked.as_single() : checked.as_real();
        EXPECT_TRUE(same_bits(value, c.expected)) << row.name << " through the thunk: " << value;
    }
    EXPECT_EQ(static_cast<size_t>(covered), cases.size()) << "cases for exports without a real result";
}
