// The double forms: every argument a double, rounded to an int32 under the
// calling thread's rounding mode; a double that names no int32 names no
// channel, whatever the control word.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstring>
#include <optional>
#include <string>

#include "forms_support.h"

using forms::arguments;
using host::d;
using host::i;

namespace {

constexpr double error_real = -777.0;
constexpr double sb_success = 0.0;

enum class convention { reg, std, cdecl_ };
constexpr convention conventions[] = {convention::reg, convention::std, convention::cdecl_};

// The double form of a stem in a convention: "sbdouble", "stdsbdouble", "csbdouble".
std::string double_form(convention calling, const char *stem) {
    std::string name = calling == convention::reg ? "" : calling == convention::std ? "std" : "c";
    name += stem;
    name += "double";
    return name;
}

int32_t read_back(int32_t slot) { return forms::call("rsb", {i(slot)}).as_int(); }

}  // namespace

// The host's own FISTP of a NaN and its signalling comparison: what the
// module must never do. Proves the watch sees them here.
TEST(X87Watch, SeesWhatAPascalHostWouldTake) {
    uint64_t bits = forms::quiet_nan;
    double nan;
    std::memcpy(&nan, &bits, sizeof nan);
    for (uint16_t word : {host::cw_pascal, host::cw_default}) {
        host::control_word_scope scope(word);
        int64_t converted;
        forms::clear_x87_exceptions();
        __asm__ volatile("fldl %1\n\tfistpll %0" : "=m"(converted) : "m"(nan));
        EXPECT_NE(forms::x87_exceptions(), "") << "FISTP of a NaN, " << forms::describe_control_word(word);
        forms::clear_x87_exceptions();
        __asm__ volatile("fldl %0\n\tfldz\n\tfcomip %%st(1)\n\tfstp %%st(0)" : : "m"(nan) : "cc");
        EXPECT_NE(forms::x87_exceptions(), "") << "FCOMI with a NaN, " << forms::describe_control_word(word);
        forms::clear_x87_exceptions();
    }
}

namespace {

// The edge cases of the double forms, in order, run once in each convention.
struct step {
    const char *name;  // a stem, run as its double form in the convention at hand
    bool double_form;  // false: the export named, as it stands
    arguments args;
    double number;
    const char *text;
    std::optional<bool> caps_lock;  // the light afterwards
};

step twin(const char *stem, arguments args, double number, std::optional<bool> caps = std::nullopt) {
    return {stem, true, std::move(args), number, nullptr, caps};
}
step twin_text(const char *stem, arguments args, const char *text) {
    return {stem, true, std::move(args), 0, text, {}};
}
step just(const char *name, arguments args, double number) {
    return {name, false, std::move(args), number, nullptr, {}};
}

constexpr double seconds = forms::exact_seconds;
constexpr int32_t analogue_int = 42;

const step edge_steps[] = {
    // 0.4, 0.5 and -0.5 round to 0; 1.5 and 2.5 to 2, which is no channel.
    twin("ea", {d(0.4)}, seconds),
    twin("ea", {d(0.5)}, seconds),
    twin("ea", {d(-0.5)}, seconds),
    twin("ea", {d(1.5)}, error_real),
    twin("ea", {d(2.5)}, error_real),
    // The real operation: index 1 is the date-time serial.
    twin("ea", {d(1.0)}, forms::exact_serial),
    twin("ea", {d(0.6)}, forms::exact_serial),
    twin_text("nea", {d(0.5)}, "secondes du jour"),
    twin_text("nea", {d(1.4)}, "date.heure"),
    twin_text("nea", {d(2.5)}, ""),
    twin_text("nsa", {d(-0.5)}, "sortie analogique fictive"),
    twin_text("nsa", {d(0.5000000000000001)}, ""),
    twin_text("neb", {d(1.5)}, ""),
    twin_text("nsb", {d(2.5)}, "Arr\xEAt D\xE9" "fil"),
    twin_text("nsb", {d(3.4)}, "CD ouvert"),
    // Caps Lock is on to start with; only a value rounding to exactly 1 is on.
    twin("sb", {d(0.0), d(0.5)}, sb_success, false),
    just("rsb", {i(0)}, 0),
    twin("sb", {d(0.0), d(1.4)}, sb_success, true),
    just("rsb", {i(0)}, 1),
    twin("sb", {d(0.0), d(1.5)}, sb_success, false),
    just("rsb", {i(0)}, 2),
    twin("sb", {d(0.4), d(0.6)}, sb_success, true),
    twin("rsb", {d(-0.5)}, 1.0),
    // The value is the double as given; the integer output is another field.
    twin("sa", {d(0.0), d(2.75)}, 2.75),
    just("rsad", {i(0)}, 2.75),
    just("rsa", {i(0)}, analogue_int),
    twin("rsa", {d(0.0)}, 2.75),
    twin("sa", {d(0.5), d(-0.1)}, -0.1),
    twin("rsa", {d(0.4)}, -0.1),
    twin("sa", {d(1.5), d(8.0)}, error_real),
    just("rsad", {i(0)}, -0.1),
    just("rsa", {i(0)}, analogue_int),
    twin("eb", {d(1.0)}, 1.0),
    twin("eb", {d(0.5)}, 0.0),
    twin("eb", {d(2.0)}, error_real),
    twin("rsb", {d(9.0)}, error_real),
    twin("rsb", {d(8.4)}, 0.0),
};

class DoubleFormEdges : public testing::TestWithParam<uint16_t> {};

}  // namespace

TEST_P(DoubleFormEdges, InEachConvention) {
    forms::fixed_clock clock(forms::exact_time);
    forms::simulated_devices devices;
    for (convention calling : conventions) {
        forms::call("sa", {i(0), i(analogue_int)});
        forms::simulated_devices::set_lock(VK_CAPITAL, true);
        host::control_word_scope word(GetParam());
        for (const step &s : edge_steps) {
            const std::string name = s.double_form ? double_form(calling, s.name) : s.name;
            const auto got = forms::call(name.c_str(), s.args);
            auto what = [&] {
                return forms::describe_call(name, s.args) + " under " + forms::describe_control_word(GetParam());
            };
            switch (host::row(name).result) {
            case host::result_kind::text:
                ASSERT_NE(got.as_text(), nullptr) << what();
                EXPECT_STREQ(got.as_text(), s.text) << what();
                break;
            case host::result_kind::int_: EXPECT_EQ(got.as_int(), s.number) << what(); break;
            default: EXPECT_EQ(got.as_real(), s.number) << what(); break;
            }
            if (s.caps_lock) {
                EXPECT_EQ(forms::simulated_devices::lock_on(VK_CAPITAL), *s.caps_lock) << what();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ControlWords, DoubleFormEdges, testing::Values(host::cw_default, host::cw_pascal),
                         forms::control_word_test_name);

namespace {

// round_index under each rounding mode. No value: the double names no int32.
using rounded = std::optional<int32_t>;
constexpr rounded none = std::nullopt;

struct rounding_case {
    const char *what;
    uint64_t bits;
    rounded by_mode[4];  // to nearest, down, up, toward zero
};

constexpr uint16_t rounding_modes[4] = {host::rounding_nearest, host::rounding_down, host::rounding_up,
                                        host::rounding_toward_zero};
const char *const mode_names[4] = {"to nearest", "down", "up", "toward zero"};

// Which case, rounding mode and control word a failure happened under.
std::string rounding_context(const std::string &what, int mode, uint16_t word) {
    std::string text = what;
    text += " rounded ";
    text += mode_names[mode];
    text += ", ";
    return text + forms::describe_control_word(word);
}

using host::bits_of;

constexpr double two_31 = 2147483648.0;
constexpr double two_32 = 4294967296.0;
constexpr double two_62 = 4611686018427387904.0;
constexpr double two_63 = 9223372036854775808.0;

const rounding_case rounding_cases[] = {
    {"0.4", bits_of(0.4), {0, 0, 1, 0}},
    {"0.5", bits_of(0.5), {0, 0, 1, 0}},
    {"-0.5", bits_of(-0.5), {0, -1, 0, 0}},
    {"1.5", bits_of(1.5), {2, 1, 2, 1}},
    {"2.5", bits_of(2.5), {2, 2, 3, 2}},
    {"-0.0", bits_of(-0.0), {0, 0, 0, 0}},
    {"3.0", bits_of(3.0), {3, 3, 3, 3}},
    {"7.5", bits_of(7.5), {8, 7, 8, 7}},
    {"-1.5", bits_of(-1.5), {-2, -2, -1, -1}},
    {"smallest subnormal", 1, {0, 0, 1, 0}},
    {"negative smallest subnormal", 0x8000000000000001ull, {0, -1, 0, 0}},
    {"2147483647.4", bits_of(2147483647.4), {INT32_MAX, INT32_MAX, none, INT32_MAX}},
    {"2147483647.5", bits_of(2147483647.5), {none, INT32_MAX, none, INT32_MAX}},
    {"-2147483648.4", bits_of(-2147483648.4), {INT32_MIN, none, INT32_MIN, INT32_MIN}},
    {"-2147483648.5", bits_of(-2147483648.5), {INT32_MIN, none, INT32_MIN, INT32_MIN}},
    {"2^31", bits_of(two_31), {none, none, none, none}},
    {"-2^31-1", bits_of(-two_31 - 1), {none, none, none, none}},
    {"2^32", bits_of(two_32), {none, none, none, none}},
    {"2^32+6", bits_of(two_32 + 6), {none, none, none, none}},
    {"-2^32", bits_of(-two_32), {none, none, none, none}},
    {"2^62-512", bits_of(two_62 - 512), {none, none, none, none}},
    {"2^62", bits_of(two_62), {none, none, none, none}},
    {"2^63", bits_of(two_63), {none, none, none, none}},
    {"-2^63", bits_of(-two_63), {none, none, none, none}},
    {"2^64", bits_of(two_63 * 2), {none, none, none, none}},
    {"largest double", bits_of(DBL_MAX), {none, none, none, none}},
    {"+infinity", 0x7FF0000000000000ull, {none, none, none, none}},
    {"-infinity", 0xFFF0000000000000ull, {none, none, none, none}},
    {"NaN", forms::quiet_nan, {none, none, none, none}},
    {"negative NaN", forms::negative_quiet_nan, {none, none, none, none}},
    {"signalling NaN", forms::signalling_nan, {none, none, none, none}},
    {"NaN with a payload of 6", 0x7FF8000000000006ull, {none, none, none, none}},
};

constexpr int32_t first_recorded = 100;  // binary output k holds 100 + k
constexpr int32_t marker = 0x5EED;
constexpr int32_t recorded_slots = 8;

void record_every_binary_output() {
    for (int32_t slot = 0; slot < recorded_slots; ++slot) forms::call("sb", {i(slot), i(first_recorded + slot)});
}

// What rsb gives for an index: the slot's value, 0 for the never-written
// slot 8, -777 past it.
double slot_value(int32_t index) {
    if (index >= 0 && index < recorded_slots) return first_recorded + index;
    return index == recorded_slots ? 0.0 : error_real;
}

const char *binary_input_name(int32_t index) {
    return index == 0 ? "EB fictive 0" : index == 1 ? "EB fictive 1" : "";
}

class RoundIndex : public testing::TestWithParam<uint16_t> {};

}  // namespace

// The index, read back from where the double form looked: every recorded
// slot holds its own number, so the slot read names the rounded index.
TEST_P(RoundIndex, PicksTheChannelTheRoundingModeGives) {
    forms::simulated_devices devices;
    for (const auto &c : rounding_cases) {
        record_every_binary_output();
        for (int mode = 0; mode < 4; ++mode) {
            const uint16_t word = static_cast<uint16_t>((GetParam() & ~0x0C00) | rounding_modes[mode]);
            const rounded expected = c.by_mode[mode];
            host::control_word_scope scope(word);
            for (convention calling : conventions) {
                const std::string rsb_form = double_form(calling, "rsb");
                const std::string neb_form = double_form(calling, "neb");
                const std::string eb_form = double_form(calling, "eb");
                auto what = [&] { return rounding_context(c.what, mode, word); };
                EXPECT_EQ(forms::call(rsb_form.c_str(), {forms::d_bits(c.bits)}).as_real(),
                          expected ? slot_value(*expected) : error_real)
                    << rsb_form << ", " << what();
                EXPECT_STREQ(forms::call(neb_form.c_str(), {forms::d_bits(c.bits)}).as_text(),
                             expected ? binary_input_name(*expected) : "")
                    << neb_form << ", " << what();
                const double eb = expected && (*expected == 0 || *expected == 1) ? *expected : error_real;
                EXPECT_EQ(forms::call(eb_form.c_str(), {forms::d_bits(c.bits)}).as_real(), eb)
                    << eb_form << ", " << what();
            }
        }
    }
}

// The value of sbdouble goes through the same rounding; binary output 4 has
// no device and records the value exactly.
TEST_P(RoundIndex, RoundsTheValueOfSbdoubleAlike) {
    forms::simulated_devices devices;
    for (const auto &c : rounding_cases) {
        for (int mode = 0; mode < 4; ++mode) {
            const uint16_t word = static_cast<uint16_t>((GetParam() & ~0x0C00) | rounding_modes[mode]);
            const rounded expected = c.by_mode[mode];
            for (convention calling : conventions) {
                const std::string sb_form = double_form(calling, "sb");
                auto what = [&] { return rounding_context(sb_form + "(4.0, " + c.what + ")", mode, word); };
                forms::call("sb", {i(4), i(marker)});
                {
                    host::control_word_scope scope(word);
                    EXPECT_EQ(forms::call(sb_form.c_str(), {d(4.0), forms::d_bits(c.bits)}).as_real(), error_real)
                        << what();
                }
                EXPECT_EQ(read_back(4), expected ? *expected : marker) << what();
            }
        }
    }
}

// A double that names no int32, as the index or as sbdouble's value: -777,
// no device touched, nothing recorded.
TEST_P(RoundIndex, BadDoublesTouchNothing) {
    forms::simulated_devices devices;
    for (const auto &c : rounding_cases) {
        for (int mode = 0; mode < 4; ++mode) {
            if (c.by_mode[mode]) continue;
            const uint16_t word = static_cast<uint16_t>((GetParam() & ~0x0C00) | rounding_modes[mode]);
            for (convention calling : conventions) {
                const std::string sb_form = double_form(calling, "sb");
                const std::string sa_form = double_form(calling, "sa");
                auto what = [&] { return rounding_context(c.what, mode, word); };
                record_every_binary_output();
                forms::call("sad", {i(0), d(0.125)});
                forms::simulated_devices::forget_touches();
                {
                    host::control_word_scope scope(word);
                    EXPECT_EQ(forms::call(sb_form.c_str(), {forms::d_bits(c.bits), d(1.0)}).as_real(), error_real)
                        << sb_form << " index " << what();
                    EXPECT_EQ(forms::call(sb_form.c_str(), {d(0.0), forms::d_bits(c.bits)}).as_real(), error_real)
                        << sb_form << " value " << what();
                    EXPECT_EQ(forms::call(sb_form.c_str(), {d(3.0), forms::d_bits(c.bits)}).as_real(), error_real)
                        << sb_form << " value at the door, " << what();
                    EXPECT_EQ(forms::call(sa_form.c_str(), {forms::d_bits(c.bits), d(2.0)}).as_real(), error_real)
                        << sa_form << " index " << what();
                }
                EXPECT_EQ(forms::simulated_devices::touches(), 0) << sb_form << ", " << what();
                for (int32_t slot = 0; slot < recorded_slots; ++slot)
                    EXPECT_EQ(read_back(slot), first_recorded + slot) << sb_form << " slot " << slot << ", " << what();
                EXPECT_EQ(read_back(recorded_slots), 0) << sb_form << ", " << what();
                EXPECT_EQ(forms::call("rsad", {i(0)}).as_real(), 0.125) << sa_form << ", " << what();
            }
        }
    }
}

// Windows' and extended precision; Delphi's and Free Pascal's control words.
INSTANTIATE_TEST_SUITE_P(ControlWords, RoundIndex, testing::Values(0x027F, 0x037F, 0x1332, 0x1372),
                         forms::control_word_test_name);
