// The probe's pieces: strict numbers, exact printing, Windows-1252 texts in a
// pipe, and a typed caller for every export. The console is tried for real,
// on a terminal, in probe_cases.cmake.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host.h"
#include "probe.h"

namespace {

constexpr int32_t int_marker = 0x5A5A5A5A;
constexpr double real_marker = -12345.678;

}  // namespace

TEST(ProbeNumbers, Int32IsTheWholeTextInRange) {
    struct {
        const char *text;
        bool accepted;
        int32_t value;
    } cases[] = {
        {"0", true, 0},
        {"-1", true, -1},
        {"6", true, 6},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"1x", false, 0},
        {" 1", false, 0},
        {"1 ", false, 0},
        {"+1", false, 0},
        {"0x10", false, 0},
        {"1.0", false, 0},
        {"1e3", false, 0},
    };
    for (const auto &c : cases) {
        int32_t value = int_marker;
        EXPECT_EQ(probe::parse_int32(c.text, value), c.accepted) << '"' << c.text << '"';
        EXPECT_EQ(value, c.accepted ? c.value : int_marker) << '"' << c.text << '"';
    }
}

TEST(ProbeNumbers, RealIsTheWholeTextInRange) {
    struct {
        const char *text;
        bool accepted;
        double value;
    } cases[] = {
        {"2.75", true, 2.75},
        {"-0.5", true, -0.5},
        {"0", true, 0.0},
        {"1e3", true, 1000.0},
        {"4294967296", true, 4294967296.0},
        {"1.100000023841858", true, 1.100000023841858},
        {"inf", true, std::numeric_limits<double>::infinity()},
        {"-inf", true, -std::numeric_limits<double>::infinity()},
        {"1e999", false, 0},
        {"", false, 0},
        {"2.75x", false, 0},
        {"1,5", false, 0},
        {" 2", false, 0},
        {"+2", false, 0},
        {"0x1p3", false, 0},
    };
    for (const auto &c : cases) {
        double value = real_marker;
        EXPECT_EQ(probe::parse_real(c.text, value), c.accepted) << '"' << c.text << '"';
        EXPECT_EQ(value, c.accepted ? c.value : real_marker) << '"' << c.text << '"';
    }
    double nan = 0;
    ASSERT_TRUE(probe::parse_real("nan", nan));
    EXPECT_TRUE(std::isnan(nan));
}

TEST(ProbeNumbers, SingleIsRoundedOnceAndRangeChecked) {
    float value = 0;
    ASSERT_TRUE(probe::parse_single("1.1", value));
    EXPECT_EQ(value, 1.1f);
    ASSERT_TRUE(probe::parse_single("3.4e38", value));
    EXPECT_EQ(value, 3.4e38f);
    value = 5.0f;
    EXPECT_FALSE(probe::parse_single("1e39", value)) << "beyond the largest single";
    EXPECT_EQ(value, 5.0f);
}

TEST(ProbeNumbers, RealsPrintShortestAndReadBackExactly) {
    struct {
        double value;
        const char *text;
    } cases[] = {
        {2.75, "2.75"},
        {-777.0, "-777"},
        {0.1, "0.1"},
        {static_cast<double>(1.1f), "1.100000023841858"},
        {36526.5, "36526.5"},
        {1e300, "1e+300"},
        {-0.0, "-0"},
    };
    for (const auto &c : cases) EXPECT_EQ(probe::format_real(c.value), c.text);
    for (double value : {0.1 + 0.2, DBL_MAX, DBL_MIN, 4.9406564584124654e-324, 46367.541023715276, 1.0 / 3}) {
        double back = 0;
        ASSERT_TRUE(probe::parse_real(probe::format_real(value), back)) << probe::format_real(value);
        EXPECT_EQ(back, value) << probe::format_real(value);
    }
    EXPECT_EQ(probe::format_single(77.77f), "77.77");
    EXPECT_EQ(probe::format_single(1.1f), "1.1");
}

TEST(ProbeText, Windows1252BecomesUtf8) {
    struct {
        const char *cp1252;
        const char *utf8;
    } cases[] = {
        {"", ""},
        {"EB fictive 0", "EB fictive 0"},
        {"Syst\xE8me PC", "Syst\xC3\xA8me PC"},
        {"Arr\xEAt D\xE9" "fil", "Arr\xC3\xAAt D\xC3\xA9" "fil"},
        // 0x80 to 0x9F are not Latin-1 control codes in Windows-1252.
        {"\x80", "\xE2\x82\xAC"},
        {"\x8C\x9C", "\xC5\x92\xC5\x93"},
        {"\x9F", "\xC5\xB8"},
        {"\xFF", "\xC3\xBF"},
    };
    for (const auto &c : cases) EXPECT_EQ(probe::utf8_from_cp1252(c.cp1252), c.utf8) << c.cp1252;
    EXPECT_EQ(probe::display_width("Arr\xC3\xAAt D\xC3\xA9" "fil"), 11u);
    EXPECT_EQ(probe::display_width("\xE2\x82\xAC"), 1u);
}

TEST(ProbeText, ResultsPrintByType) {
    using probe::result_type;
    struct {
        probe::result r;
        const char *text;
    } cases[] = {
        {{result_type::int32, -777, 0, 0, nullptr}, "-777"},
        {{result_type::real, 0, 2.75, 0, nullptr}, "2.75"},
        {{result_type::real_address, 0, 3.25, 0, nullptr}, "3.25"},
        {{result_type::single, 0, 0, 77.77f, nullptr}, "77.77"},
        {{result_type::single_address, 0, 0, 1.1f, nullptr}, "1.1"},
        {{result_type::text, 0, 0, 0, "Syst\xE8me PC"}, "\"Syst\xC3\xA8me PC\""},
        {{result_type::text, 0, 0, 0, ""}, "\"\""},
    };
    for (const auto &c : cases) EXPECT_EQ(probe::format_result(c.r), c.text);
}

TEST(ProbeText, PipeGetsUtf8WithCrLf) {
    HANDLE read_end, write_end;
    ASSERT_TRUE(CreatePipe(&read_end, &write_end, nullptr, 0));
    probe::write_text(write_end, "Syst\xC3\xA8me PC\nArr\xC3\xAAt D\xC3\xA9" "fil\n");
    CloseHandle(write_end);
    char buffer[256];
    DWORD got = 0;
    std::string bytes;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(read_end);
    EXPECT_EQ(bytes, "Syst\xC3\xA8me PC\r\nArr\xC3\xAAt D\xC3\xA9" "fil\r\n");
}

// Each export called through the probe's caller gives what the
// convention-checking harness gets, so every caller has its export's type.
// Output 6 has no device; the clock may tick between the calls, so a value
// is taken from the harness before and after the probe's call.
TEST(ProbeCalls, EveryExportAgreesWithTheHarness) {
    for (const auto &row : host::export_rows()) {
        const probe::export_row *probe_row = probe::find_export(row.name);
        ASSERT_NE(probe_row, nullptr) << row.name;
        EXPECT_EQ(probe_row->ordinal, row.ordinal) << row.name;
        EXPECT_STREQ(probe_row->arguments, row.arguments) << row.name;

        const bool binary_output = std::string_view(row.name).find("sb") != std::string_view::npos;
        const int32_t index = binary_output ? 6 : 0;
        const int32_t int_value = binary_output ? 1 : 42;
        const double real_value = 2.75;
        const float single_value = 1.1f;
        probe::argument_values values{};
        std::vector<host::argument> harness;
        for (int position = 0; position < probe::argument_count(*probe_row); ++position) {
            const bool first = position == 0;
            switch (row.arguments[position]) {
            case 'i':
                values.ints[position] = first ? index : int_value;
                harness.push_back(host::i(values.ints[position]));
                break;
            case 'd':
                values.reals[position] = first ? index : real_value;
                harness.push_back(host::d(values.reals[position]));
                break;
            case 'p':
                values.reals[position] = real_value;
                harness.push_back(host::p(&values.reals[position]));
                break;
            case 'f':
                values.singles[position] = single_value;
                harness.push_back(host::f(single_value));
                break;
            }
        }
        // A number read at once: an address form's cell changes at the next call.
        auto harness_number = [&] {
            host::outcome o;
            switch (harness.size()) {
            case 0: o = host::call(row.name, {}); break;
            case 1: o = host::call(row.name, {harness[0]}); break;
            default: o = host::call(row.name, {harness[0], harness[1]}); break;
            }
            switch (row.result) {
            case host::result_kind::int_: return static_cast<double>(o.as_int());
            case host::result_kind::real: return o.as_real();
            case host::result_kind::single: return static_cast<double>(o.as_single());
            case host::result_kind::real_ptr: return *o.as_ptr<double>();
            case host::result_kind::single_ptr: return static_cast<double>(*o.as_ptr<float>());
            case host::result_kind::text: return static_cast<double>(o.eax);
            }
            return 0.0;
        };
        const double before = harness_number();
        const probe::result got = probe_row->invoke(GetProcAddress(host::module(), row.name), values);
        const double after = harness_number();

        struct {
            host::result_kind kind;
            probe::result_type type;
        } const types[] = {
            {host::result_kind::int_, probe::result_type::int32},
            {host::result_kind::real, probe::result_type::real},
            {host::result_kind::single, probe::result_type::single},
            {host::result_kind::text, probe::result_type::text},
            {host::result_kind::real_ptr, probe::result_type::real_address},
            {host::result_kind::single_ptr, probe::result_type::single_address},
        };
        for (const auto &t : types) {
            if (t.kind == row.result) {
                EXPECT_EQ(got.type, t.type) << row.name;
            }
        }
        double number = 0;
        switch (got.type) {
        case probe::result_type::int32: number = got.int32_value; break;
        case probe::result_type::real:
        case probe::result_type::real_address: number = got.real_value; break;
        case probe::result_type::single:
        case probe::result_type::single_address: number = got.single_value; break;
        case probe::result_type::text: number = reinterpret_cast<uintptr_t>(got.text_value); break;
        }
        // Texts compare by address: the module's own constant, not a copy.
        EXPECT_TRUE(number == before || number == after || (before <= number && number <= after))
            << row.name << ": probe " << number << ", harness " << before << " then " << after;
    }
}
