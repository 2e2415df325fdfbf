// Every export called as a host calls it, from one table of cases, under the
// control words hosts run with: each call's convention is checked by the
// thunk, then its value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "forms_support.h"

using forms::arguments;
using host::d;
using host::f;
using host::i;
using host::p;

namespace {

// What the row's result kind makes of it: an int, a real, a single, or the
// value behind a returned address, or a text.
struct expected {
    expected(int value) : number(value) {}
    expected(double value) : number(value) {}
    expected(const char *value) : text(value) {}
    double number = 0;
    const char *text = nullptr;
};

struct export_case {
    const char *name;
    arguments args;
    expected result;
};

constexpr int32_t error = -777;
constexpr double error_real = -777.0;
// What sb gives for binary outputs 0 to 3, and the double forms pass on.
constexpr int32_t sb_success = 0;

const char *const seconds_name = "secondes du jour";
const char *const serial_name = "date.heure";
const char *const analogue_output_name = "sortie analogique fictive";
const char *const title = "Syst\xE8me PC";
const char *const description = "DLL (32 bits) pour syst\xE8me PC, par Tarvelec, le 21 avril 2010";

const double psad_value = 4.5;
const double psad_other = -1.0;

constexpr int32_t seconds = forms::exact_seconds;
constexpr double serial = forms::exact_serial;

// Rows run in order; read-backs see the writes above them.
const export_case export_cases[] = {
    // Analogue inputs, at the fixed time.
    {"ea", {i(0)}, seconds},
    {"ea", {i(1)}, error},
    {"stdea", {i(0)}, seconds},
    {"stdea", {i(-1)}, error},
    {"cea", {i(0)}, seconds},
    {"cea", {i(1)}, error},
    {"eadouble", {d(0.0)}, static_cast<double>(seconds)},
    {"eadouble", {d(1.0)}, serial},
    {"eadouble", {d(2.0)}, error_real},
    {"stdeadouble", {d(0.0)}, static_cast<double>(seconds)},
    {"stdeadouble", {d(1.0)}, serial},
    {"ceadouble", {d(1.0)}, serial},
    {"ceadouble", {d(-1.0)}, error_real},
    {"nea", {i(0)}, seconds_name},
    {"nea", {i(1)}, ""},
    {"stdnea", {i(0)}, seconds_name},
    {"cnea", {i(0)}, seconds_name},
    {"cnea", {i(-1)}, ""},
    {"neadouble", {d(0.0)}, seconds_name},
    {"neadouble", {d(1.0)}, serial_name},
    {"neadouble", {d(2.0)}, ""},
    {"stdneadouble", {d(1.0)}, serial_name},
    {"cneadouble", {d(1.0)}, serial_name},
    {"cneadouble", {d(-1.0)}, ""},
    {"ead", {i(0)}, static_cast<double>(seconds)},
    {"ead", {i(1)}, serial},
    {"ead", {i(2)}, error_real},
    {"stdead", {i(1)}, serial},
    {"stdead", {i(-1)}, error_real},
    {"cead", {i(1)}, serial},
    {"cead", {i(2)}, error_real},
    {"nead", {i(1)}, serial_name},
    {"nead", {i(2)}, ""},
    {"stdnead", {i(1)}, serial_name},
    {"cnead", {i(0)}, seconds_name},
    {"cnead", {i(-1)}, ""},

    // Analogue output: the integer and the real are recorded apart.
    {"sa", {i(0), i(42)}, 0},
    {"rsa", {i(0)}, 42},
    {"sa", {i(1), i(7)}, error},
    {"rsa", {i(0)}, 42},
    {"stdsa", {i(0), i(-5)}, 0},
    {"crsa", {i(0)}, -5},
    {"stdsa", {i(-1), i(8)}, error},
    {"csa", {i(0), i(INT32_MAX)}, 0},
    {"rsa", {i(0)}, INT32_MAX},
    {"csa", {i(-1), i(1)}, error},
    {"rsa", {i(1)}, error},
    {"crsa", {i(-1)}, error},
    {"sad", {i(0), d(3.25)}, 3.25},
    {"rsad", {i(0)}, 3.25},
    {"rsa", {i(0)}, INT32_MAX},
    {"sad", {i(1), d(9.0)}, error_real},
    {"rsad", {i(0)}, 3.25},
    {"stdsad", {i(0), d(-0.125)}, -0.125},
    {"stdrsad", {i(0)}, -0.125},
    {"stdsad", {i(2), d(1.0)}, error_real},
    {"csad", {i(0), d(1e300)}, 1e300},
    {"crsad", {i(0)}, 1e300},
    {"csad", {i(-1), d(1.0)}, error_real},
    {"rsad", {i(1)}, error_real},
    {"stdrsad", {i(-1)}, error_real},
    {"crsad", {i(1)}, error_real},
    {"sadouble", {d(0.0), d(2.75)}, 2.75},
    {"rsad", {i(0)}, 2.75},
    {"rsadouble", {d(0.0)}, 2.75},
    {"rsa", {i(0)}, INT32_MAX},
    {"sadouble", {d(1.0), d(2.0)}, error_real},
    {"stdsadouble", {d(0.0), d(0.5)}, 0.5},
    {"stdrsadouble", {d(0.0)}, 0.5},
    {"stdsadouble", {d(-0.0), d(-3.0)}, -3.0},
    {"crsadouble", {d(0.0)}, -3.0},
    {"csadouble", {d(0.0), d(-6.5)}, -6.5},
    {"crsadouble", {d(0.0)}, -6.5},
    {"csadouble", {d(-1.0), d(1.0)}, error_real},
    {"rsadouble", {d(1.0)}, error_real},
    {"stdrsadouble", {d(-1.0)}, error_real},
    {"crsadouble", {d(2.0)}, error_real},
    {"rsa", {i(0)}, INT32_MAX},
    {"nsa", {i(0)}, analogue_output_name},
    {"nsa", {i(1)}, ""},
    {"stdnsa", {i(0)}, analogue_output_name},
    {"cnsa", {i(0)}, analogue_output_name},
    {"cnsa", {i(-1)}, ""},
    {"nsadouble", {d(0.0)}, analogue_output_name},
    {"nsadouble", {d(1.0)}, ""},
    {"stdnsadouble", {d(0.0)}, analogue_output_name},
    {"cnsadouble", {d(0.0)}, analogue_output_name},
    {"nsad", {i(0)}, analogue_output_name},
    {"stdnsad", {i(0)}, analogue_output_name},
    {"stdnsad", {i(1)}, ""},
    {"cnsad", {i(0)}, analogue_output_name},
    {"cnsad", {i(-1)}, ""},

    // Binary inputs: two constants.
    {"eb", {i(0)}, 0},
    {"eb", {i(1)}, 1},
    {"eb", {i(2)}, error},
    {"stdeb", {i(1)}, 1},
    {"stdeb", {i(-1)}, error},
    {"ceb", {i(0)}, 0},
    {"ceb", {i(2)}, error},
    {"ebdouble", {d(1.0)}, 1.0},
    {"ebdouble", {d(2.0)}, error_real},
    {"stdebdouble", {d(1.0)}, 1.0},
    {"cebdouble", {d(0.0)}, 0.0},
    {"cebdouble", {d(-1.0)}, error_real},
    {"neb", {i(0)}, "EB fictive 0"},
    {"neb", {i(2)}, ""},
    {"stdneb", {i(1)}, "EB fictive 1"},
    {"cneb", {i(0)}, "EB fictive 0"},
    {"cneb", {i(-1)}, ""},
    {"nebdouble", {d(1.0)}, "EB fictive 1"},
    {"nebdouble", {d(2.0)}, ""},
    {"stdnebdouble", {d(0.0)}, "EB fictive 0"},
    {"cnebdouble", {d(1.0)}, "EB fictive 1"},

    // Binary outputs, on simulated devices; read-back gives what was written.
    {"sb", {i(0), i(5)}, sb_success},
    {"rsb", {i(0)}, 5},
    {"stdsb", {i(1), i(1)}, sb_success},
    {"stdrsb", {i(1)}, 1},
    {"csb", {i(2), i(0)}, sb_success},
    {"crsb", {i(2)}, 0},
    {"stdsb", {i(3), i(1)}, sb_success},
    {"crsb", {i(3)}, 1},
    {"sb", {i(4), i(9)}, error},
    {"rsb", {i(4)}, 9},
    {"sb", {i(8), i(1)}, error},
    {"rsb", {i(8)}, 0},
    {"csb", {i(-1), i(1)}, error},
    {"rsb", {i(9)}, error},
    {"stdrsb", {i(-1)}, error},
    {"crsb", {i(INT32_MIN)}, error},
    {"sbdouble", {d(5.0), d(3.0)}, error_real},
    {"rsbdouble", {d(5.0)}, 3.0},
    {"sbdouble", {d(1.0), d(0.0)}, static_cast<double>(sb_success)},
    {"rsb", {i(1)}, 0},
    {"stdsbdouble", {d(0.0), d(1.0)}, static_cast<double>(sb_success)},
    {"stdrsbdouble", {d(0.0)}, 1.0},
    {"stdsbdouble", {d(9.0), d(1.0)}, error_real},
    {"csbdouble", {d(6.0), d(-2.0)}, error_real},
    {"crsbdouble", {d(6.0)}, -2.0},
    {"csbdouble", {d(3.0), d(0.0)}, static_cast<double>(sb_success)},
    {"crsbdouble", {d(3.0)}, 0.0},
    {"rsbdouble", {d(8.0)}, 0.0},
    {"rsbdouble", {d(9.0)}, error_real},
    {"stdrsbdouble", {d(-1.0)}, error_real},
    {"crsbdouble", {d(9.0)}, error_real},
    {"nsb", {i(0)}, "Verr. Majusc."},
    {"nsb", {i(2)}, "Arr\xEAt D\xE9" "fil"},
    {"nsb", {i(4)}, ""},
    {"stdnsb", {i(1)}, "Verr. Num."},
    {"stdnsb", {i(-1)}, ""},
    {"cnsb", {i(3)}, "CD ouvert"},
    {"cnsb", {i(4)}, ""},
    {"nsbdouble", {d(2.0)}, "Arr\xEAt D\xE9" "fil"},
    {"nsbdouble", {d(-1.0)}, ""},
    {"stdnsbdouble", {d(3.0)}, "CD ouvert"},
    {"cnsbdouble", {d(0.0)}, "Verr. Majusc."},
    {"cnsbdouble", {d(4.0)}, ""},

    // Title and description.
    {"titre", {}, title},
    {"stdtitre", {}, title},
    {"ctitre", {}, title},
    {"detail", {}, description},
    {"stddetail", {}, description},
    {"cdetail", {}, description},

    // Single-precision results.
    {"stdeas", {i(0)}, 77.77f},
    {"stdeas", {i(-123)}, 77.77f},
    {"ceas", {}, 77.77f},
    {"stdsas", {i(0), f(1.1f)}, 1.1f},
    {"stdrsad", {i(0)}, static_cast<double>(1.1f)},
    {"crsas", {i(0)}, 1.1f},
    {"csas", {i(0), f(-0.375f)}, -0.375f},
    {"stdrsas", {i(0)}, -0.375f},
    {"stdsas", {i(1), f(2.0f)}, -777.0f},
    {"csas", {i(-1), f(2.0f)}, -777.0f},
    {"crsas", {i(0)}, -0.375f},
    {"crsas", {i(1)}, -777.0f},
    {"stdrsas", {i(2)}, -777.0f},

    // Results by address: the value behind the address.
    {"pead", {i(0)}, static_cast<double>(seconds)},
    {"pead", {i(1)}, serial},
    {"pead", {i(2)}, error_real},
    {"psad", {i(0), p(&psad_value)}, psad_value},
    {"rsad", {i(0)}, psad_value},
    {"psad", {i(1), p(&psad_other)}, error_real},
    {"psad", {i(0), p(nullptr)}, error_real},
    {"rsad", {i(0)}, psad_value},
    {"pstdead", {i(1)}, serial},
    {"pstdead", {i(-1)}, error_real},
    {"pstdeas", {i(1)}, static_cast<double>(static_cast<float>(serial))},
    {"pstdeas", {i(3)}, -777.0f},
    {"pceas", {i(0)}, static_cast<float>(seconds)},
    {"pceas", {i(-1)}, -777.0f},

    // One ignored argument, whatever it holds.
    {"titreparam", {i(0)}, title},
    {"titreparam", {i(INT32_MIN)}, title},
    {"detailparam", {i(-1)}, description},
    {"titreparamdouble", {d(1.0)}, title},
    {"titreparamdouble", {forms::d_bits(forms::signalling_nan)}, title},
    {"detailparamdouble", {d(0.0)}, description},
    {"detailparamdouble", {d(-1e308)}, description},
};

// The argument code of the export table that a case's arguments spell.
std::string argument_code(const arguments &args) {
    if (args.empty()) return "none";
    std::string code;
    for (const auto &a : args) {
        switch (a.type) {
        case host::argument::int32: code += 'i'; break;
        case host::argument::real: code += 'd'; break;
        case host::argument::single: code += 'f'; break;
        case host::argument::address: code += 'p'; break;
        }
    }
    return code;
}

std::string describe(const export_case &c) {
    return forms::describe_call(c.name, c.args) + " under " + forms::describe_control_word(host::control_word());
}

void check(const export_case &c, const host::outcome &got) {
    switch (host::row(c.name).result) {
    case host::result_kind::int_:
        EXPECT_EQ(got.as_int(), static_cast<int32_t>(c.result.number)) << describe(c);
        break;
    case host::result_kind::real:
        EXPECT_EQ(got.as_real(), c.result.number) << describe(c);
        EXPECT_EQ(got.st0, static_cast<long double>(static_cast<double>(got.st0))) << describe(c) << ": not a double";
        break;
    case host::result_kind::single:
        EXPECT_EQ(got.as_single(), static_cast<float>(c.result.number)) << describe(c);
        EXPECT_EQ(got.st0, static_cast<long double>(static_cast<float>(got.st0))) << describe(c) << ": not a single";
        break;
    case host::result_kind::text:
        ASSERT_NE(got.as_text(), nullptr) << describe(c);
        EXPECT_STREQ(got.as_text(), c.result.text) << describe(c);
        break;
    case host::result_kind::real_ptr:
        ASSERT_NE(got.as_ptr<double>(), nullptr) << describe(c);
        EXPECT_EQ(*got.as_ptr<double>(), c.result.number) << describe(c);
        break;
    case host::result_kind::single_ptr:
        ASSERT_NE(got.as_ptr<float>(), nullptr) << describe(c);
        EXPECT_EQ(*got.as_ptr<float>(), static_cast<float>(c.result.number)) << describe(c);
        break;
    }
}

const host::export_row *find_row(const char *name) {
    for (const auto &r : host::export_rows())
        if (std::strcmp(r.name, name) == 0) return &r;
    return nullptr;
}

class AllExports : public testing::TestWithParam<uint16_t> {};

}  // namespace

TEST(AllExportsTable, EveryExportHasACase) {
    for (const auto &r : host::export_rows()) {
        const bool named = std::any_of(std::begin(export_cases), std::end(export_cases),
                                       [&](const export_case &c) { return std::strcmp(c.name, r.name) == 0; });
        EXPECT_TRUE(named) << r.name << " has no case";
    }
}

// The thunk removes what the arguments given occupy; they must be the row's,
// or a wrong pop would go unnoticed.
TEST(AllExportsTable, EveryCaseHasItsExportsArguments) {
    for (const auto &c : export_cases) {
        const host::export_row *r = find_row(c.name);
        ASSERT_NE(r, nullptr) << c.name << " is not in the export table";
        EXPECT_EQ(argument_code(c.args), r->arguments) << c.name;
    }
}

TEST_P(AllExports, GiveTheirValuesAndKeepTheirConventions) {
    forms::fixed_clock clock(forms::exact_time);
    forms::simulated_devices devices;
    host::control_word_scope word(GetParam());
    for (const auto &c : export_cases) check(c, forms::call(c.name, c.args));
}

// Windows' default; extended precision; each rounding mode; Delphi's and
// Free Pascal's, with invalid operation, zero divide and overflow unmasked.
INSTANTIATE_TEST_SUITE_P(ControlWords, AllExports,
                         testing::Values(0x027F, 0x037F, 0x067F, 0x0A7F, 0x0E7F, 0x1332, 0x1372),
                         forms::control_word_test_name);
