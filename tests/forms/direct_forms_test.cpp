// The stdcall and cdecl direct forms give what their base operation gives,
// and every real result reaches the host as a double.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "forms_support.h"

using forms::arguments;
using host::d;
using host::i;

namespace {

// The export each adapter calls, from the module's own table.
struct adapter_row {
    const char *name;
    const char *form;
    const char *target;
};

const adapter_row adapter_rows[] = {
#define EXPORT(ordinal, name, convention, arguments, result, form, target) {#name, #form, #target},
#include "exports/export_table.h"
#undef EXPORT
};

using host::bits_of;

// Results compared as the host sees them: the same int, the same double bit
// for bit (-0.0 is not 0.0), the very same text address.
void expect_same_result(const std::string &what, const host::export_row &row, const host::outcome &direct,
                        const host::outcome &base) {
    switch (row.result) {
    case host::result_kind::real:
        EXPECT_EQ(bits_of(direct.as_real()), bits_of(base.as_real()))
            << what << ": " << direct.as_real() << " against " << base.as_real();
        break;
    case host::result_kind::text:
        EXPECT_EQ(direct.as_text(), base.as_text()) << what << ": not the base operation's text";
        break;
    default: EXPECT_EQ(direct.as_int(), base.as_int()) << what; break;
    }
}

const int32_t indexes[] = {0, 1, 2, 3, 4, 7, 8, 9, -1, 100, INT32_MIN, INT32_MAX};

// Everything a write can change: the output record and the devices.
struct written_state {
    int32_t analogue_int;
    uint64_t analogue_real;
    int32_t binary[10];
    bool locks[3];
    std::vector<std::string> mci_commands;
    bool operator==(const written_state &) const = default;
};

written_state state_now() {
    written_state state{};
    state.analogue_int = forms::call("rsa", {i(0)}).as_int();
    state.analogue_real = bits_of(forms::call("rsad", {i(0)}).as_real());
    for (int32_t slot = 0; slot < 10; ++slot) state.binary[slot] = forms::call("rsb", {i(slot)}).as_int();
    state.locks[0] = forms::simulated_devices::lock_on(VK_CAPITAL);
    state.locks[1] = forms::simulated_devices::lock_on(VK_NUMLOCK);
    state.locks[2] = forms::simulated_devices::lock_on(VK_SCROLL);
    state.mci_commands = forms::simulated_devices::mci_commands();
    return state;
}

void start_from_zero() {
    forms::call("sa", {i(0), i(0)});
    forms::call("sad", {i(0), d(0.0)});
    for (int32_t slot = 0; slot < 8; ++slot) forms::call("sb", {i(slot), i(0)});
    for (BYTE key : {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL}) forms::simulated_devices::set_lock(key, false);
    forms::simulated_devices::forget_touches();
}

struct write_case {
    int32_t index;
    int32_t int_value;
    double real_value;
};

const write_case write_cases[] = {
    {0, 17, 3.25},
    {0, 1, -0.0},
    {1, 1, 1e-310},
    {2, 0, 1e300},
    {3, 1, -2.5},
    {3, 0, 0.5},
    {4, 6, 7.0},
    {7, -3, -1.0},
    {8, 1, 1.0},
    {-1, 2, 2.0},
    {1, 5, 0.1},
    {INT32_MIN, 1, 1.0},
    {INT32_MAX, 1, 1.0},
};

class DirectForms : public testing::TestWithParam<uint16_t> {};

}  // namespace

TEST_P(DirectForms, GiveTheBaseResult) {
    forms::fixed_clock clock(forms::inexact_time);
    forms::simulated_devices devices;
    host::control_word_scope word(GetParam());
    for (const auto &adapter : adapter_rows) {
        if (std::strcmp(adapter.form, "direct") != 0) continue;
        const host::export_row &row = host::row(adapter.name);
        const std::string shape = row.arguments;
        if (shape == "none") {
            expect_same_result(adapter.name, row, forms::call(adapter.name, {}), forms::call(adapter.target, {}));
        } else if (shape == "i") {
            for (int32_t index : indexes) {
                const auto direct = forms::call(adapter.name, {i(index)});
                const auto base = forms::call(adapter.target, {i(index)});
                expect_same_result(std::string(adapter.name) + "(" + std::to_string(index) + ")", row, direct, base);
            }
        } else {
            // Writes: the same result and the same state afterwards.
            for (const auto &c : write_cases) {
                const arguments args = shape == "ii" ? arguments{i(c.index), i(c.int_value)}
                                                     : arguments{i(c.index), d(c.real_value)};
                const std::string what = forms::describe_call(adapter.name, args);
                start_from_zero();
                const auto base = forms::call(adapter.target, args);
                const written_state after_base = state_now();
                start_from_zero();
                const auto direct = forms::call(adapter.name, args);
                expect_same_result(what, row, direct, base);
                EXPECT_TRUE(state_now() == after_base) << what << " leaves another state than " << adapter.target;
            }
        }
    }
}

// Windows' default, extended precision, Delphi's.
INSTANTIATE_TEST_SUITE_P(ControlWords, DirectForms, testing::Values(0x027F, 0x037F, 0x1332),
                         forms::control_word_test_name);

// Under 64-bit precision ST(0) could carry more than a double; the host must
// get exactly a double, the one it gets under 53-bit precision or a neighbour.
TEST(RealResults, AreDoublesUnderExtendedPrecision) {
    forms::fixed_clock clock(forms::inexact_time);
    forms::simulated_devices devices;
    for (const auto &row : host::export_rows()) {
        if (row.result != host::result_kind::real) continue;
        const std::string shape = row.arguments;
        const arguments args = shape == "i"    ? arguments{i(1)}
                               : shape == "d"  ? arguments{d(1.0)}
                               : shape == "id" ? arguments{i(0), d(0.1)}
                                               : arguments{d(0.0), d(0.1)};
        const double at_53_bits = forms::call(row.name, args).as_real();
        for (uint16_t word : {uint16_t{0x037F}, host::cw_pascal}) {
            host::control_word_scope extended(word);
            const long double st0 = forms::call(row.name, args).st0;
            EXPECT_EQ(st0, static_cast<long double>(static_cast<double>(st0)))
                << forms::describe_call(row.name, args) << " under " << forms::describe_control_word(word);
            EXPECT_DOUBLE_EQ(static_cast<double>(st0), at_53_bits)
                << forms::describe_call(row.name, args) << " under " << forms::describe_control_word(word);
        }
    }
}
