// Random calls drawn from the export table, each through the checking thunk,
// held to the reference model of the channel rules: results, the record, and
// every call the module makes to the keyboard and the CD device. The devices
// and the clock are the test's own, put in the module's import table, so any
// index and value may be drawn.
//
// The run is reproducible: it prints its seed; PLOKVAR_FUZZ_SEED sets another
// (decimal or 0x...), PLOKVAR_FUZZ_CALLS another length.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>
#include <mmsystem.h>

#include "channel_model.h"
#include "host.h"
#include "stress_support.h"

namespace {

constexpr uint64_t default_seed = 20100421;
constexpr int default_calls = 20000;

// The system the module's devices act on, simulated.
model::system_view simulated;
std::vector<model::device_call> device_log;
MCIERROR mci_answer = 0;

VOID WINAPI fake_keybd_event(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra) {
    device_log.push_back(model::key_event_call(key, scan, flags, extra));
    // The lock toggles with the press; the key is down until the release.
    if (flags & KEYEVENTF_KEYUP) simulated.keys[key] &= 0x7F;
    else simulated.keys[key] = (simulated.keys[key] ^ 1) | 0x80;
}

SHORT WINAPI fake_get_key_state(int key) {
    const BYTE state = simulated.keys[key & 0xFF];
    return static_cast<SHORT>((state & 0x80 ? 0x8000 : 0) | (state & 1));
}

BOOL WINAPI fake_get_keyboard_state(PBYTE keys) {
    std::memcpy(keys, simulated.keys.data(), simulated.keys.size());
    return TRUE;
}

BOOL WINAPI fake_set_keyboard_state(LPBYTE keys) {
    std::array<BYTE, 256> written;
    std::memcpy(written.data(), keys, written.size());
    device_log.push_back(model::keyboard_state_call(written));
    simulated.keys = written;
    return TRUE;
}

MCIERROR WINAPI fake_mci_send_string(LPCSTR command, LPSTR buffer, UINT length, HWND window) {
    device_log.push_back(model::mci_string_call(command ? command : "(null)", buffer, length, window));
    return mci_answer;
}

void WINAPI fake_local_time(SYSTEMTIME *now) { *now = simulated.now; }

bool reports_nt_platform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

using host::bits_of;

// Arguments are made from bit patterns and never pass through the x87,
// which would quiet a signalling NaN on the way.
host::argument real_argument(uint64_t bits) {
    host::argument a = host::d(0.0);
    std::memcpy(&a.real_value, &bits, sizeof bits);
    return a;
}

host::argument single_argument(uint32_t bits) {
    host::argument a = host::f(0.0f);
    std::memcpy(&a.single_value, &bits, sizeof bits);
    return a;
}

const double special_doubles[] = {
    0.0, -0.0, 0.4, 0.5, -0.5, 1.0, 1.4, 1.5, 2.5, 3.25, -1.0, 0.49999999999999994,
    HUGE_VAL, -HUGE_VAL, DBL_MIN, DBL_MAX, -DBL_MAX, 1e300, -1e300,
    2147483647.5, 2147483648.5, 2147483648.0, 2147483647.0, 2147483647.4,
    -2147483648.0, -2147483648.5, -2147483649.0,
    4294967296.0, 4294967302.0, 4294967297.5, 0x1p53, 0x1p62, 0x1p63, -0x1p63,
};

const uint64_t special_double_bits[] = {
    0x7FF8000000000000, 0xFFF8000000000000,  // quiet NaNs, the second the x87's own
    0x7FF0000000000001, 0xFFF4000000000000,  // signalling NaNs
    0x0000000000000001, 0x8000000000000001, 0x000FFFFFFFFFFFFF,  // subnormals
};

const int32_t special_ints[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, INT32_MIN, INT32_MAX, INT32_MIN + 1, 77};

const float special_singles[] = {0.0f, -0.0f, 1.0f, 1.1f, 6.5f, 77.77f, -777.0f,
                                 HUGE_VALF, -HUGE_VALF, FLT_MIN, FLT_MAX, -FLT_MAX};

const uint32_t special_single_bits[] = {
    0x7FC00000, 0x7F800001, 0xFFA00000,  // quiet and signalling NaNs
    0x00000001, 0x807FFFFF,              // subnormals
};

// The control words a host may call with: the default, each directed
// rounding, and 64-bit precision; all exceptions masked.
const uint16_t control_words[] = {0x027F, 0x027F, 0x027F, 0x027F, 0x027F, 0x027F, 0x027F,
                                  0x067F, 0x0A7F, 0x0E7F, 0x037F};

struct random_source {
    std::mt19937_64 engine;
    uint32_t below(uint32_t count) { return static_cast<uint32_t>(engine() % count); }
    bool chance(uint32_t percent) { return below(100) < percent; }
    template <typename T, size_t count>
    T one_of(const T (&values)[count]) { return values[below(count)]; }

    // Often a channel that exists, so that writes and read-backs meet.
    int32_t integer() {
        if (chance(40)) return static_cast<int32_t>(below(4));
        return chance(60) ? one_of(special_ints) : static_cast<int32_t>(engine());
    }
    int32_t binary_value() { return chance(40) ? static_cast<int32_t>(below(2)) : integer(); }
    uint64_t special() {
        if (chance(20)) return one_of(special_double_bits);
        return chance(85) ? bits_of(one_of(special_doubles)) : engine();
    }
    // Mostly near the channels, with their halves and ties.
    uint64_t index() {
        static const double fractions[] = {0.0, 0.0, 0.25, 0.5, 0.75, -0.25, -0.5, 0.49999999999999994};
        if (chance(60)) return bits_of(static_cast<int>(below(12)) - 2 + one_of(fractions));
        return special();
    }
    uint64_t value() {
        if (chance(30)) return bits_of(static_cast<int>(below(200)) / 8.0 - 5);
        return special();
    }
    uint32_t single() {
        if (chance(15)) return one_of(special_single_bits);
        return chance(60) ? bits_of(one_of(special_singles)) : static_cast<uint32_t>(engine());
    }
};

// A call's arguments; a value passed by address lives in `pointed`.
std::vector<host::argument> random_arguments(const host::export_row &row, random_source &r, double &pointed) {
    const std::string shape = row.arguments;
    if (shape == "i") return {host::i(r.integer())};
    if (shape == "ii") {
        const int32_t index = r.integer();
        return {host::i(index), host::i(r.binary_value())};
    }
    if (shape == "id") {
        const int32_t index = r.integer();
        return {host::i(index), real_argument(r.value())};
    }
    if (shape == "ip") {
        const int32_t index = r.integer();
        const uint64_t bits = r.value();
        std::memcpy(&pointed, &bits, sizeof bits);
        return {host::i(index), host::p(r.chance(5) ? nullptr : &pointed)};
    }
    if (shape == "if") {
        const int32_t index = r.integer();
        return {host::i(index), single_argument(r.single())};
    }
    if (shape == "d") return {real_argument(r.index())};
    if (shape == "dd") {
        const uint64_t index = r.index();
        return {real_argument(index), real_argument(r.chance(50) ? r.index() : r.value())};
    }
    return {};
}

// A value and its bits, read from where it lies.
std::string show_real(const double &value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (0x%016llX)", value, static_cast<unsigned long long>(bits));
    return text;
}

std::string show_single(const float &value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char text[48];
    std::snprintf(text, sizeof text, "%.9gf (0x%08lX)", static_cast<double>(value), static_cast<unsigned long>(bits));
    return text;
}

std::string describe_call(const host::export_row &row, const std::vector<host::argument> &a, uint16_t control_word) {
    std::ostringstream out;
    out << row.name << "(";
    for (size_t n = 0; n < a.size(); ++n) {
        if (n) out << ", ";
        switch (a[n].type) {
        case host::argument::int32: out << static_cast<int32_t>(a[n].word); break;
        case host::argument::real: out << show_real(a[n].real_value); break;
        case host::argument::single: out << show_single(a[n].single_value); break;
        case host::argument::address:
            if (a[n].word) out << "&" << show_real(*reinterpret_cast<const double *>(a[n].word));
            else out << "null";
            break;
        }
    }
    char word[16];
    std::snprintf(word, sizeof word, "0x%04X", control_word);
    out << ") under control word " << word;
    return out.str();
}

bool same_real(double expected, double got, bool last_place_may_differ) {
    if (std::isnan(expected) || std::isnan(got)) return std::isnan(expected) && std::isnan(got);
    if (bits_of(expected) == bits_of(got)) return true;
    if (!last_place_may_differ || std::signbit(expected) != std::signbit(got)) return false;
    const uint64_t a = bits_of(expected), b = bits_of(got);
    return (a > b ? a - b : b - a) <= 1;
}

// Empty when the module's result agrees with the model's.
std::string disagreement(const model::answer &expected, const host::outcome &got, bool last_place_may_differ) {
    auto differ = [&](double value) {
        return same_real(expected.real, value, last_place_may_differ)
                   ? std::string()
                   : "gave " + show_real(value) + ", the model " + show_real(expected.real);
    };
    switch (expected.kind) {
    case host::result_kind::int_:
        if (got.as_int() == expected.integer) return {};
        return "gave " + std::to_string(got.as_int()) + ", the model " + std::to_string(expected.integer);
    case host::result_kind::real:
        if (!std::isnan(got.st0) && got.st0 != static_cast<long double>(static_cast<double>(got.st0)))
            return "ST(0) holds more than a double";
        return differ(got.as_real());
    case host::result_kind::single:
        if (!std::isnan(got.st0) && got.st0 != static_cast<long double>(static_cast<float>(got.st0)))
            return "ST(0) holds more than a single";
        return differ(got.as_single());
    case host::result_kind::text:
        if (!got.as_text()) return "gave a null text";
        if (expected.text == got.as_text()) return {};
        return "gave \"" + std::string(got.as_text()) + "\", the model \"" + expected.text + "\"";
    case host::result_kind::real_ptr:
        if (!got.as_ptr<double>()) return "gave a null address";
        return differ(*got.as_ptr<double>());
    case host::result_kind::single_ptr:
        if (!got.as_ptr<float>()) return "gave a null address";
        return differ(*got.as_ptr<float>());
    }
    return "unknown result kind";
}

// Loading a signalling NaN raises invalid-operation; nothing else a call
// does may. Under QEMU an unmasked x87 exception is never delivered, so the
// sticky flags are what shows that a Pascal host would have taken one. The
// bits are read from memory: a copy through the x87 would quiet the NaN.
bool is_signalling(const void *real, size_t size) {
    if (size == sizeof(float)) {
        uint32_t bits;
        std::memcpy(&bits, real, sizeof bits);
        return (bits & 0x7F800000) == 0x7F800000 && (bits & 0x003FFFFF) && !(bits & 0x00400000);
    }
    uint64_t bits;
    std::memcpy(&bits, real, sizeof bits);
    return (bits & 0x7FF0000000000000) == 0x7FF0000000000000 && (bits & 0x0007FFFFFFFFFFFF) &&
           !(bits & 0x0008000000000000);
}

bool may_raise_invalid(const std::vector<host::argument> &arguments, const model::channels &channels) {
    if (std::isnan(channels.analogue_output_real())) return true;  // read back by rsad and its forms
    for (const auto &a : arguments) {
        if (a.type == host::argument::real && is_signalling(&a.real_value, sizeof(double))) return true;
        if (a.type == host::argument::single && is_signalling(&a.single_value, sizeof(float))) return true;
        if (a.type == host::argument::address && a.word && is_signalling(reinterpret_cast<const void *>(a.word), sizeof(double)))
            return true;
    }
    return false;
}

constexpr uint16_t invalid_operation = 0x0001, zero_divide = 0x0004;

std::string describe_devices(const std::vector<model::device_call> &calls) {
    if (calls.empty()) return "none";
    std::string all;
    for (const auto &c : calls) all += (all.empty() ? "" : ", ") + model::describe(c);
    return all;
}

uint64_t setting(const char *name, uint64_t otherwise) {
    const char *text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 0) : otherwise;
}

SYSTEMTIME random_time(random_source &r) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(1900 + r.below(200));
    t.wMonth = static_cast<WORD>(1 + r.below(12));
    t.wDay = static_cast<WORD>(1 + r.below(28));
    t.wHour = static_cast<WORD>(r.below(24));
    t.wMinute = static_cast<WORD>(r.below(60));
    t.wSecond = static_cast<WORD>(r.below(60));
    t.wMilliseconds = static_cast<WORD>(r.below(1000));
    return t;
}

}  // namespace

TEST(DifferentialFuzz, RandomCallsAgreeWithTheChannelModel) {
    for (const auto &row : host::export_rows()) ASSERT_EQ(model::channels::disagreement(row), "");

    const uint64_t seed = setting("PLOKVAR_FUZZ_SEED", default_seed);
    const int calls = static_cast<int>(setting("PLOKVAR_FUZZ_CALLS", default_calls));
    std::printf("fuzz seed %llu, %d calls (PLOKVAR_FUZZ_SEED, PLOKVAR_FUZZ_CALLS)\n",
                static_cast<unsigned long long>(seed), calls);
    random_source r{std::mt19937_64(seed)};

    // A copy of its own: its record starts at zero, whatever else ran here.
    host::module_copy copy;
    const HMODULE m = LoadLibraryA(copy.path().c_str());
    ASSERT_NE(m, nullptr);
    simulated.keys.fill(0);
    simulated.nt_platform = reports_nt_platform();
    simulated.now = stress::fixed_time;
    {
        auto in = [&](const char *dll, const char *function, auto *fake) {
            return host::import_scope(m, dll, function, reinterpret_cast<void *>(fake));
        };
        host::import_scope clock = in("kernel32.dll", "GetLocalTime", &fake_local_time);
        host::import_scope key_event = in("user32.dll", "keybd_event", &fake_keybd_event);
        host::import_scope key_state = in("user32.dll", "GetKeyState", &fake_get_key_state);
        host::import_scope get_keys = in("user32.dll", "GetKeyboardState", &fake_get_keyboard_state);
        host::import_scope set_keys = in("user32.dll", "SetKeyboardState", &fake_set_keyboard_state);
        host::import_scope mci = in("winmm.dll", "mciSendStringA", &fake_mci_send_string);

        model::channels channels;
        const auto &rows = host::export_rows();
        std::deque<std::string> recent;
        int device_calls = 0;
        for (int n = 0; n < calls; ++n) {
            // Between calls the user may toggle or hold a lock key, and time passes.
            if (r.chance(3)) simulated.keys[r.one_of({VK_CAPITAL, VK_NUMLOCK, VK_SCROLL})] = r.one_of({0, 1, 0x80, 0x81});
            if (r.chance(3)) simulated.now = random_time(r);
            mci_answer = r.chance(50) ? 0 : MCIERR_CANNOT_LOAD_DRIVER;

            const host::export_row &row = rows[r.below(static_cast<uint32_t>(rows.size()))];
            double pointed = 0;
            const std::vector<host::argument> arguments = random_arguments(row, r, pointed);
            const uint16_t control_word = r.one_of(control_words);
            const std::string call = describe_call(row, arguments, control_word);
            recent.push_back(call);
            if (recent.size() > 8) recent.pop_front();

            std::vector<model::device_call> expected_devices;
            device_log.clear();
            model::answer expected;
            host::outcome got;
            const bool invalid_allowed = may_raise_invalid(arguments, channels);
            uint16_t raised;
            {
                host::control_word_scope scope(control_word);
                expected = channels.call(row, arguments, control_word, simulated, expected_devices);
                stress::clear_x87_exceptions();
                got = host::call_in(m, row.name, arguments);
                raised = stress::current_x87_state().status & (invalid_operation | zero_divide);
            }
            const bool last_place = expected.clock_reading && control_word != host::cw_default;
            std::string wrong = disagreement(expected, got, last_place);
            if (wrong.empty() && device_log != expected_devices)
                wrong = "called " + describe_devices(device_log) + "; the model " + describe_devices(expected_devices);
            if (wrong.empty() && raised && !(raised == invalid_operation && invalid_allowed))
                wrong = raised & zero_divide ? "raised zero-divide" : "raised invalid-operation";
            device_calls += static_cast<int>(device_log.size());
            if (!wrong.empty() || HasFailure()) {
                std::string context;
                for (const auto &c : recent) context += "\n  " + c;
                ADD_FAILURE() << "call " << n << " of seed " << seed << ": " << call << "\n"
                              << (wrong.empty() ? "convention broken, above" : wrong) << "\nlast calls:" << context;
                break;
            }
        }

        // The record as a whole, through the read-backs.
        for (int32_t slot = 0; slot <= 8 && !HasFailure(); ++slot)
            EXPECT_EQ(host::call_in(m, "rsb", {host::i(slot)}).as_int(), channels.binary_output(slot)) << slot;
        EXPECT_EQ(host::call_in(m, "rsa", {host::i(0)}).as_int(), channels.analogue_output_int());
        EXPECT_TRUE(same_real(channels.analogue_output_real(), host::call_in(m, "rsad", {host::i(0)}).as_real(), false));
        std::printf("%d device calls checked\n", device_calls);
    }
    FreeLibrary(m);
}
