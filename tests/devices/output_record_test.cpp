// The output record: what sa, sad and sb remember and rsa, rsad and rsb give
// back, and the names of the outputs.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <string>
#include <string_view>

#include "recorders.h"

using host::d;
using host::i;

namespace {

constexpr int32_t channel_error = -777;

// Where a write is expected to land.
enum class kept { nothing, binary_slot, analogue_int, analogue_real };
// Which device a write is expected to reach.
enum class device { none, lock_light, door };

struct write_case {
    const char *operation;  // sb, sa or sad
    int32_t index;
    double value;  // an int32 for sb and sa
    double result;
    kept where;  // binary_slot: the slot with the case's index
    device reached;
};

// Run in order on one fresh copy; after each row the whole record is read
// back. sa and sad come first so that a write past the nine binary slots
// would show in the analogue fields that follow them.
const write_case write_cases[] = {
    {"sa", 0, 42, 0, kept::analogue_int, device::none},
    {"sad", 0, 3.25, 3.25, kept::analogue_real, device::none},
    {"sb", 0, 5, 0, kept::binary_slot, device::lock_light},  // 5 asks for off; 5 is recorded
    {"sb", 1, -1, 0, kept::binary_slot, device::lock_light},
    {"sb", 2, INT32_MIN, 0, kept::binary_slot, device::lock_light},
    {"sb", 3, 1, 0, kept::binary_slot, device::door},
    {"sb", 4, 7, channel_error, kept::binary_slot, device::none},
    {"sb", 6, 1, channel_error, kept::binary_slot, device::none},
    {"sb", 7, INT32_MAX, channel_error, kept::binary_slot, device::none},
    {"sb", 8, 1, channel_error, kept::nothing, device::none},
    {"sb", 9, 1, channel_error, kept::nothing, device::none},
    {"sb", -1, 3, channel_error, kept::nothing, device::none},
    {"sb", INT32_MIN, 1, channel_error, kept::nothing, device::none},
    {"sb", INT32_MAX, 1, channel_error, kept::nothing, device::none},
    {"sb", 0, 1, 0, kept::binary_slot, device::lock_light},
    {"sb", 3, 0, 0, kept::binary_slot, device::door},
    {"sa", 1, 9, channel_error, kept::nothing, device::none},
    {"sa", -1, 9, channel_error, kept::nothing, device::none},
    {"sa", 0, INT32_MIN, 0, kept::analogue_int, device::none},
    {"sad", 1, 8.5, channel_error, kept::nothing, device::none},
    {"sad", -1, 8.5, channel_error, kept::nothing, device::none},
    {"sad", 0, -0.0, -0.0, kept::analogue_real, device::none},
    {"sad", 0, 1e300, 1e300, kept::analogue_real, device::none},
    {"sad", 0, 4.9406564584124654e-324, 4.9406564584124654e-324, kept::analogue_real, device::none},
    {"sa", 0, 0, 0, kept::analogue_int, device::none},
};

// Indexes that name no output to read back, whatever was written.
const struct {
    const char *operation;
    int32_t index;
} read_back_errors[] = {
    {"rsb", 9}, {"rsb", 10}, {"rsb", -1}, {"rsb", INT32_MIN}, {"rsb", INT32_MAX},
    {"rsa", 1}, {"rsa", -1}, {"rsa", INT32_MIN},
    {"rsad", 1}, {"rsad", -1}, {"rsad", INT32_MIN},
};

struct name_case {
    const char *operation;
    int32_t index;
    const char *expected;  // Windows-1252 bytes
};

const name_case name_cases[] = {
    {"nsa", 0, "sortie analogique fictive"},
    {"nsa", 1, ""},
    {"nsa", -1, ""},
    {"nsad", 0, "sortie analogique fictive"},
    {"nsad", 1, ""},
    {"nsad", INT32_MIN, ""},
    {"nsb", 0, "Verr. Majusc."},
    {"nsb", 1, "Verr. Num."},
    {"nsb", 2, "Arr\xEAt D\xE9" "fil"},
    {"nsb", 3, "CD ouvert"},
    {"nsb", 4, ""},
    {"nsb", 8, ""},
    {"nsb", -1, ""},
    {"nsb", INT32_MIN, ""},
};

// Everything the module gives back through rsb 0 to 8, rsa 0 and rsad 0.
struct record {
    int32_t binary[9]{};
    int32_t analogue_int = 0;
    uint64_t analogue_real = 0;  // the bits, so that -0.0 and 0.0 differ

    bool operator==(const record &) const = default;
};

record read_record(HMODULE module) {
    record r;
    for (int32_t slot = 0; slot < 9; ++slot) r.binary[slot] = host::call_in(module, "rsb", {i(slot)}).as_int();
    r.analogue_int = host::call_in(module, "rsa", {i(0)}).as_int();
    r.analogue_real = std::bit_cast<uint64_t>(host::call_in(module, "rsad", {i(0)}).as_real());
    return r;
}

std::string to_string(const record &r) {
    char text[256];
    const auto &b = r.binary;
    std::snprintf(text, sizeof text, "rsb 0..8: %d %d %d %d %d %d %d %d %d; rsa %d; rsad %.17g", b[0], b[1], b[2],
                  b[3], b[4], b[5], b[6], b[7], b[8], r.analogue_int, std::bit_cast<double>(r.analogue_real));
    return text;
}

std::string to_string(const write_case &c) {
    char text[64];
    if (std::string_view(c.operation) == "sad") std::snprintf(text, sizeof text, "sad(%d, %.17g)", c.index, c.value);
    else std::snprintf(text, sizeof text, "%s(%d, %d)", c.operation, c.index, static_cast<int32_t>(c.value));
    return text;
}

double write(HMODULE module, const write_case &c) {
    if (std::string_view(c.operation) == "sad") return host::call_in(module, "sad", {i(c.index), d(c.value)}).as_real();
    return host::call_in(module, c.operation, {i(c.index), i(static_cast<int32_t>(c.value))}).as_int();
}

device reached(const devices::platform_log &log) {
    for (const auto &call : log.calls) {
        if (call.starts_with("mciSendStringA")) return device::door;
        if (call == "GetKeyboardState") return device::lock_light;
    }
    return device::none;
}

const char *to_string(device d) {
    return d == device::none ? "none" : d == device::lock_light ? "a lock light" : "the CD door";
}

}  // namespace

TEST(OutputRecord, StartsAtZeroInEveryLoadedCopy) {
    host::call("sa", {i(0), i(42)});
    host::call("sad", {i(0), d(3.25)});
    host::call("sb", {i(5), i(7)});
    host::call("sb", {i(7), i(-1)});
    const record written = read_record(host::module());

    host::loaded_copy fresh;
    EXPECT_EQ(read_record(fresh.handle), record{}) << to_string(read_record(fresh.handle));
    EXPECT_EQ(read_record(host::module()), written) << "the first copy's record after loading another";
}

TEST(OutputRecord, WritesAreRecordedAsPassedInTheirOwnField) {
    host::loaded_copy fresh;
    devices::platform_answers answers;
    answers.keyboard = devices::key_state{};  // every lock off, no key held
    devices::recorded_platform platform(fresh.handle, answers);

    record expected;
    ASSERT_EQ(read_record(fresh.handle), expected) << "at load";
    for (const auto &c : write_cases) {
        platform.log = {};
        const double result = write(fresh.handle, c);
        EXPECT_EQ(std::bit_cast<uint64_t>(result), std::bit_cast<uint64_t>(c.result))
            << to_string(c) << " gave " << result << ", expected " << c.result;
        EXPECT_EQ(reached(platform.log), c.reached)
            << to_string(c) << " reached " << to_string(reached(platform.log)) << ", expected " << to_string(c.reached);

        if (c.where == kept::binary_slot) expected.binary[c.index] = static_cast<int32_t>(c.value);
        if (c.where == kept::analogue_int) expected.analogue_int = static_cast<int32_t>(c.value);
        if (c.where == kept::analogue_real) expected.analogue_real = std::bit_cast<uint64_t>(c.value);
        const record now = read_record(fresh.handle);
        EXPECT_EQ(now, expected) << "after " << to_string(c) << "\n  read back " << to_string(now)
                                 << "\n  expected  " << to_string(expected);
    }

    for (const auto &e : read_back_errors) {
        const auto out = host::call_in(fresh.handle, e.operation, {i(e.index)});
        const double value = std::string_view(e.operation) == "rsad" ? out.as_real() : out.as_int();
        EXPECT_EQ(value, channel_error) << e.operation << "(" << e.index << ")";
    }
}

TEST(OutputRecord, NamesAreTheModulesTextsAndNeverNull) {
    for (const auto &c : name_cases) {
        const char *name = host::call(c.operation, {i(c.index)}).as_text();
        ASSERT_NE(name, nullptr) << c.operation << "(" << c.index << ")";
        EXPECT_STREQ(name, c.expected) << c.operation << "(" << c.index << ")";
    }
}
