#include "recorders.h"

#include <cstdio>
#include <stdexcept>

namespace devices {

namespace {

recorded_platform *active = nullptr;

using get_key_state_fn = SHORT(WINAPI *)(int);
using get_keyboard_state_fn = BOOL(WINAPI *)(BYTE *);
using set_keyboard_state_fn = BOOL(WINAPI *)(BYTE *);
using mci_send_string_fn = MCIERROR(WINAPI *)(LPCSTR, LPSTR, UINT, HWND);

// The real functions, taken from the system DLLs rather than from the
// module's import table, which holds the stand-ins meanwhile.
template <typename F>
F real(const char *dll, const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(dll), name)));
}

SHORT WINAPI recorded_get_key_state(int key) {
    active->log.calls.push_back(get_key_state_call(static_cast<BYTE>(key)));
    return real<get_key_state_fn>("user32.dll", "GetKeyState")(key);
}

BOOL WINAPI recorded_get_keyboard_state(BYTE *state) {
    active->log.calls.push_back("GetKeyboardState");
    BOOL result = TRUE;
    if (active->answers.keyboard) std::copy(active->answers.keyboard->begin(), active->answers.keyboard->end(), state);
    else result = real<get_keyboard_state_fn>("user32.dll", "GetKeyboardState")(state);
    key_state read;
    std::copy(state, state + read.size(), read.begin());
    active->log.states_read.push_back(read);
    return result;
}

BOOL WINAPI recorded_set_keyboard_state(BYTE *state) {
    active->log.calls.push_back("SetKeyboardState");
    key_state written;
    std::copy(state, state + written.size(), written.begin());
    active->log.states_written.push_back(written);
    return real<set_keyboard_state_fn>("user32.dll", "SetKeyboardState")(state);
}

UINT WINAPI recorded_map_virtual_key(UINT code, UINT map_type) {
    active->log.calls.push_back(map_virtual_key_call(static_cast<BYTE>(code), map_type));
    return first_fake_scan_code + active->scan_code_lookups++;
}

void WINAPI recorded_keybd_event(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra) {
    active->log.calls.push_back(keybd_event_call(key, scan, flags, extra));
}

MCIERROR WINAPI recorded_mci_send_string(LPCSTR command, LPSTR buffer, UINT length, HWND window) {
    active->log.calls.push_back(mci_call(command, buffer, length, window));
    const auto real_mci = real<mci_send_string_fn>("winmm.dll", "mciSendStringA");
    const MCIERROR result =
        active->answers.real_mci ? real_mci(command, buffer, length, window) : active->answers.mci_result;
    active->log.mci_results.push_back(result);
    return result;
}

}  // namespace

recorded_platform::recorded_platform(HMODULE module, platform_answers answers) : answers(std::move(answers)) {
    if (active) throw std::logic_error("one recorded_platform at a time");
    active = this;
    const struct {
        const char *dll;
        const char *function;
        void *replacement;
    } stand_ins[] = {
        {"user32.dll", "GetKeyState", reinterpret_cast<void *>(&recorded_get_key_state)},
        {"user32.dll", "GetKeyboardState", reinterpret_cast<void *>(&recorded_get_keyboard_state)},
        {"user32.dll", "SetKeyboardState", reinterpret_cast<void *>(&recorded_set_keyboard_state)},
        {"user32.dll", "MapVirtualKeyA", reinterpret_cast<void *>(&recorded_map_virtual_key)},
        {"user32.dll", "keybd_event", reinterpret_cast<void *>(&recorded_keybd_event)},
        {"winmm.dll", "mciSendStringA", reinterpret_cast<void *>(&recorded_mci_send_string)},
    };
    for (const auto &s : stand_ins)
        scopes.push_back(std::make_unique<host::import_scope>(module, s.dll, s.function, s.replacement));
}

recorded_platform::~recorded_platform() {
    scopes.clear();
    active = nullptr;
}

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

std::string get_key_state_call(BYTE key) { return "GetKeyState(" + hex(key) + ")"; }

std::string map_virtual_key_call(BYTE key, UINT map_type) {
    return "MapVirtualKeyA(" + hex(key) + ", " + std::to_string(map_type) + ")";
}

std::string keybd_event_call(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra) {
    return "keybd_event(" + hex(key) + ", " + hex(scan) + ", " + std::to_string(flags) + ", " +
           std::to_string(extra) + ")";
}

std::string mci_call(const char *command, const void *buffer, UINT length, HWND window) {
    const auto address = [](const void *p) { return p ? hex(reinterpret_cast<uintptr_t>(p)) : std::string("null"); };
    return "mciSendStringA(\"" + std::string(command ? command : "(null)") + "\", " + address(buffer) + ", " +
           std::to_string(length) + ", " + address(window) + ")";
}

void prepare_key(BYTE key, BYTE state) {
    // The thread's copy of a key is refreshed from the session by GetKeyState
    // only where the session changed since the thread's last look; taking that
    // in first keeps it from overwriting the byte set here.
    GetKeyState(key);
    key_state keys = thread_key_state();
    keys[key] = state;
    SetKeyboardState(keys.data());
}

key_state thread_key_state() {
    key_state keys;
    GetKeyboardState(keys.data());
    return keys;
}

}  // namespace devices
