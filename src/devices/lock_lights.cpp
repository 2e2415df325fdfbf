#include <windows.h>

#include "devices.h"

bool is_nt_platform = false;

namespace {

constexpr BYTE lock_light_keys[] = {
    VK_CAPITAL,  // light 0: Caps Lock
    VK_NUMLOCK,  // light 1: Num Lock
    VK_SCROLL,   // light 2: Scroll Lock
};

constexpr BYTE toggled = 0x01;
constexpr UINT virtual_key_to_scan_code = 0;

void press_and_release(BYTE key) {
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, virtual_key_to_scan_code)), KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, virtual_key_to_scan_code)),
                KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

}  // namespace

void set_lock_light(uint32_t light, bool on) {
    const BYTE key = lock_light_keys[light];
    const BYTE wanted = on ? toggled : 0;
    // The thread's copy of the key state is refreshed only when the thread
    // takes input or asks GetKeyState; without this, a host that writes the
    // same value twice without pumping messages reads the old state and
    // toggles the lock back.
    GetKeyState(key);
    BYTE state[256];
    GetKeyboardState(state);
    if (is_nt_platform) {
        // Only the toggle bit: while the key is held its byte also has 0x80.
        if ((state[key] & toggled) != wanted) press_and_release(key);
    } else {
        state[key] = wanted;  // also clears the held-down bit
        SetKeyboardState(state);
    }
}
