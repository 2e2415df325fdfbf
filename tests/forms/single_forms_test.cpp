// The single-precision forms: the constant 77.77, widening exactly, and
// narrowing under the calling thread's rounding mode.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <string>

#include "forms_support.h"

using forms::arguments;
using host::d;
using host::f;
using host::i;

namespace {

constexpr uint16_t rounding_modes[4] = {host::rounding_nearest, host::rounding_down, host::rounding_up,
                                        host::rounding_toward_zero};
const char *const mode_names[4] = {"to nearest", "down", "up", "toward zero"};

uint16_t with_mode(uint16_t word, int mode) { return static_cast<uint16_t>((word & ~0x0C00) | rounding_modes[mode]); }

using host::bits_of;

// ST(0) holds exactly a single, not a double or wider value that would
// round to it.
void expect_single(const host::outcome &got, float expected, const std::string &what) {
    EXPECT_EQ(bits_of(got.as_single()), bits_of(expected)) << what << ": " << got.as_single() << " for " << expected;
    EXPECT_EQ(got.st0, static_cast<long double>(static_cast<float>(got.st0))) << what << ": not a single";
}

std::string under(const std::string &call, uint16_t word) {
    return call + " under " + forms::describe_control_word(word);
}

constexpr uint32_t bits_of_77_77 = 0x429B8A3D;

const uint16_t control_words[] = {host::cw_default, 0x037F, 0x0A7F, 0x067F, host::cw_pascal};

}  // namespace

TEST(SingleForms, EasGivesTheSingle7777WhateverTheIndex) {
    const float constant = std::bit_cast<float>(bits_of_77_77);
    for (uint16_t word : control_words) {
        host::control_word_scope scope(word);
        for (int32_t index : {0, 1, -1, 2, INT32_MIN, INT32_MAX})
            expect_single(forms::call("stdeas", {i(index)}), constant,
                          under("stdeas(" + std::to_string(index) + ")", word));
        expect_single(forms::call("ceas", {}), constant, under("ceas()", word));
    }
}

// The single widens exactly to the double stored, and comes back as it was.
TEST(SingleForms, SasStoresTheWidenedValueAndGivesItBack) {
    const float values[] = {1.1f,    -0.375f,      77.77f, FLT_MAX,     -FLT_MAX,
                            FLT_MIN, FLT_TRUE_MIN, -0.0f,  16777215.0f, INFINITY};
    for (const char *name : {"stdsas", "csas"}) {
        for (uint16_t word : control_words) {
            for (float value : values) {
                const std::string what = under(forms::describe_call(name, {i(0), f(value)}), word);
                host::control_word_scope scope(word);
                expect_single(forms::call(name, {i(0), f(value)}), value, what);
                EXPECT_EQ(bits_of(forms::call("rsad", {i(0)}).as_real()), bits_of(static_cast<double>(value))) << what;
            }
        }
        forms::call(name, {i(0), f(1.1f)});
        EXPECT_EQ(forms::call("rsad", {i(0)}).as_real(), 1.10000002384185791015625) << name;
    }
}

TEST(SingleForms, SasOnNoChannelGivesMinus777AndStoresNothing) {
    for (const char *name : {"stdsas", "csas"}) {
        for (int32_t index : {1, -1, 2, INT32_MIN}) {
            forms::call("sad", {i(0), d(0.25)});
            const std::string what = forms::describe_call(name, {i(index), f(3.5f)});
            expect_single(forms::call(name, {i(index), f(3.5f)}), -777.0f, what);
            EXPECT_EQ(forms::call("rsad", {i(0)}).as_real(), 0.25) << what;
        }
    }
    for (const char *name : {"stdrsas", "crsas"})
        for (int32_t index : {1, -1, INT32_MAX})
            expect_single(forms::call(name, {i(index)}), -777.0f, forms::describe_call(name, {i(index)}));
}

namespace {

struct narrowing_case {
    double stored;
    float by_mode[4];  // to nearest, down, up, toward zero
};

constexpr float one_up = 0x1.000002p0f;    // the single after 1
constexpr float two_up = 0x1.000004p0f;
constexpr float tenth = 0x1.99999ap-4f;    // 0.1f, above 0.1
constexpr float tenth_below = 0x1.999998p-4f;

const narrowing_case narrowing_cases[] = {
    {0x1.00000004p0, {1.0f, 1.0f, one_up, 1.0f}},
    {-0x1.00000004p0, {-1.0f, -one_up, -1.0f, -1.0f}},
    {0x1.000001p0, {1.0f, 1.0f, one_up, 1.0f}},           // halfway: to the even 1
    {0x1.000003p0, {two_up, one_up, two_up, one_up}},     // halfway: to the even neighbour above
    {0.1, {tenth, tenth_below, tenth, tenth_below}},
    {-0.1, {-tenth, -tenth, -tenth_below, -tenth_below}},
    {1e-50, {0.0f, 0.0f, FLT_TRUE_MIN, 0.0f}},
    {2.75, {2.75f, 2.75f, 2.75f, 2.75f}},
    {-777.0, {-777.0f, -777.0f, -777.0f, -777.0f}},
};

}  // namespace

// A double between two singles, read back through the single forms.
TEST(SingleForms, RsasNarrowsUnderTheThreadsRoundingMode) {
    for (const auto &c : narrowing_cases) {
        forms::call("sad", {i(0), d(c.stored)});
        for (uint16_t base : {host::cw_default, uint16_t{0x037F}, host::cw_pascal}) {
            for (int mode = 0; mode < 4; ++mode) {
                const uint16_t word = with_mode(base, mode);
                host::control_word_scope scope(word);
                for (const char *name : {"stdrsas", "crsas"}) {
                    char stored[40];
                    std::snprintf(stored, sizeof stored, "%a", c.stored);
                    expect_single(forms::call(name, {i(0)}), c.by_mode[mode],
                                  under(std::string(name) + " of " + stored + " rounded " + mode_names[mode], word));
                }
            }
        }
    }
}

// The address forms narrow too: the date-time serial at a time no single
// holds lands on the neighbour the rounding mode names.
TEST(SingleForms, AddressFormsNarrowUnderTheThreadsRoundingMode) {
    forms::fixed_clock clock(forms::inexact_time);
    const double serial = forms::call("ead", {i(1)}).as_real();
    const float nearest = static_cast<float>(serial);
    const float below = nearest < serial ? nearest : std::nextafter(nearest, -INFINITY);
    const float above = nearest > serial ? nearest : std::nextafter(nearest, INFINITY);
    ASSERT_LT(static_cast<double>(below), serial);
    ASSERT_GT(static_cast<double>(above), serial);
    ASSERT_NE(serial - below, above - serial) << "a halfway serial would not tell the modes apart";
    const float by_mode[4] = {nearest, below, above, below};
    for (uint16_t base : {host::cw_default, host::cw_pascal}) {
        for (int mode = 0; mode < 4; ++mode) {
            const uint16_t word = with_mode(base, mode);
            host::control_word_scope scope(word);
            for (const char *name : {"pstdeas", "pceas"}) {
                const float *cell = forms::call(name, {i(1)}).as_ptr<float>();
                ASSERT_NE(cell, nullptr) << name;
                EXPECT_EQ(bits_of(*cell), bits_of(by_mode[mode]))
                    << under(std::string(name) + "(1) rounded " + mode_names[mode], word) << ": " << *cell;
                cell = forms::call(name, {i(0)}).as_ptr<float>();
                EXPECT_EQ(*cell, 47655.0f) << under(std::string(name) + "(0)", word);
            }
        }
    }
}
