#include "forms_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace forms {

namespace {

// x87 exceptions taken since the last clear. A host with exceptions unmasked
// takes them when the next waiting x87 instruction runs; the handler notes
// the exception, clears the pending flags so that instruction can run again,
// and lets the test go on to report it. Some emulators only set the flags and
// never trap, hence the check of the status word as well.
volatile LONG x87_taken = 0;
volatile DWORD x87_first_code = 0;

bool is_x87_exception(DWORD code) {
    switch (code) {
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
    case STATUS_FLOAT_MULTIPLE_FAULTS:
    case STATUS_FLOAT_MULTIPLE_TRAPS:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK note_x87_exception(EXCEPTION_POINTERS *exception) {
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    if (!is_x87_exception(code)) return EXCEPTION_CONTINUE_SEARCH;
    if (InterlockedIncrement(&x87_taken) == 1) x87_first_code = code;
    exception->ContextRecord->FloatSave.StatusWord &= ~0x80FFu;  // flags, ES and B
    return EXCEPTION_CONTINUE_EXECUTION;
}

const PVOID x87_watch = AddVectoredExceptionHandler(1, note_x87_exception);

constexpr uint16_t invalid_operation = 0x01, zero_divide = 0x04, overflow = 0x08;

uint16_t status_word() {
    uint16_t word;
    __asm__ volatile("fnstsw %0" : "=m"(word));
    return word;
}

// The module's view of the keyboard and the CD drive.
struct device_state {
    BYTE keys[256];
    int touches;
    std::vector<std::string> mci_commands;
} devices;

void WINAPI simulated_keybd_event(BYTE key, BYTE, DWORD flags, ULONG_PTR) {
    ++devices.touches;
    if (!(flags & KEYEVENTF_KEYUP)) devices.keys[key] ^= 1;
}

BOOL WINAPI simulated_get_keyboard_state(BYTE *state) {
    ++devices.touches;
    std::memcpy(state, devices.keys, sizeof devices.keys);
    return TRUE;
}

BOOL WINAPI simulated_set_keyboard_state(BYTE *state) {
    ++devices.touches;
    std::memcpy(devices.keys, state, sizeof devices.keys);
    return TRUE;
}

SHORT WINAPI simulated_get_key_state(int key) {
    ++devices.touches;
    return devices.keys[key & 0xFF] & 1;
}

MCIERROR WINAPI simulated_mci_send_string(LPCSTR command, LPSTR, UINT, HWND) {
    ++devices.touches;
    devices.mci_commands.emplace_back(command);
    return 0;
}

SYSTEMTIME clock_time;
void WINAPI fixed_local_time(SYSTEMTIME *now) { *now = clock_time; }

}  // namespace

host::argument d_bits(uint64_t bits) {
    host::argument a = host::d(0.0);
    std::memcpy(&a.real_value, &bits, sizeof bits);
    return a;
}

host::outcome call(const char *name, const arguments &args) { return call_in(host::module(), name, args); }

host::outcome call_in(HMODULE module, const char *name, const arguments &args) {
    host::outcome result{};
    clear_x87_exceptions();
    result = host::call_in(module, name, args);
    const std::string raised = x87_exceptions();
    clear_x87_exceptions();
    EXPECT_EQ(raised, "") << name << " under " << describe_control_word(host::control_word());
    return result;
}

std::string describe_control_word(uint16_t word) {
    char text[16];
    std::snprintf(text, sizeof text, "cw 0x%04X", word);
    return text;
}

std::string control_word_test_name(const testing::TestParamInfo<uint16_t> &info) {
    char name[16];
    std::snprintf(name, sizeof name, "cw_%04X", info.param);
    return name;
}

std::string describe_call(const std::string &name, const arguments &args) {
    std::ostringstream text;
    text.precision(17);
    text << name << "(";
    for (size_t n = 0; n < args.size(); ++n) {
        const auto &a = args[n];
        if (n) text << ", ";
        switch (a.type) {
        case host::argument::int32: text << static_cast<int32_t>(a.word); break;
        case host::argument::real: text << a.real_value; break;
        case host::argument::single: text << a.single_value << "f"; break;
        case host::argument::address: text << "0x" << std::hex << a.word << std::dec; break;
        }
    }
    text << ")";
    return text.str();
}

void clear_x87_exceptions() {
    __asm__ volatile("fnclex");
    x87_taken = 0;
    x87_first_code = 0;
}

std::string x87_exceptions() {
    if (!x87_watch) return "no exception handler";
    std::string found;
    const uint16_t pending = status_word();
    if (pending & invalid_operation) found += "invalid operation; ";
    if (pending & zero_divide) found += "zero divide; ";
    if (pending & overflow) found += "overflow; ";
    if (x87_taken) {
        char text[64];
        std::snprintf(text, sizeof text, "%ld taken, first 0x%08lX", static_cast<long>(x87_taken),
                      static_cast<unsigned long>(x87_first_code));
        found += text;
    }
    return found;
}

simulated_devices::simulated_devices(HMODULE module) {
    std::memset(devices.keys, 0, sizeof devices.keys);
    forget_touches();
    // The module may do without the optional ones; it cannot drive a device
    // without the others.
    auto replace = [&](const char *dll, const char *function, void *replacement, bool required) {
        try {
            scopes.push_back(std::make_unique<host::import_scope>(module, dll, function, replacement));
        } catch (const std::invalid_argument &) {
            if (required) throw;
        }
    };
    replace("user32.dll", "keybd_event", reinterpret_cast<void *>(&simulated_keybd_event), true);
    replace("user32.dll", "GetKeyboardState", reinterpret_cast<void *>(&simulated_get_keyboard_state), true);
    replace("user32.dll", "SetKeyboardState", reinterpret_cast<void *>(&simulated_set_keyboard_state), false);
    replace("user32.dll", "GetKeyState", reinterpret_cast<void *>(&simulated_get_key_state), false);
    replace("winmm.dll", "mciSendStringA", reinterpret_cast<void *>(&simulated_mci_send_string), true);
}

simulated_devices::~simulated_devices() {
    while (!scopes.empty()) scopes.pop_back();
}

bool simulated_devices::lock_on(BYTE key) { return devices.keys[key] & 1; }

void simulated_devices::set_lock(BYTE key, bool on) { devices.keys[key] = on ? 1 : 0; }

int simulated_devices::touches() { return devices.touches; }

const std::vector<std::string> &simulated_devices::mci_commands() { return devices.mci_commands; }

void simulated_devices::forget_touches() {
    devices.touches = 0;
    devices.mci_commands.clear();
}

fixed_clock::fixed_clock(const SYSTEMTIME &now, HMODULE module)
    : scope(module, "kernel32.dll", "GetLocalTime", reinterpret_cast<void *>(&fixed_local_time)) {
    clock_time = now;
}

fixed_clock::~fixed_clock() = default;

}  // namespace forms
