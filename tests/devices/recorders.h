// Stand-ins for the keyboard and MCI functions the module imports, put in its
// import address table. Every call is logged as text, in the order the module
// made them, and is answered here or passed on to the real function.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host.h"

namespace devices {

using key_state = std::array<BYTE, 256>;

// The keys behind binary outputs 0, 1 and 2.
inline constexpr BYTE lock_light_keys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};

// Scan code the stand-in MapVirtualKeyA gives at its first lookup; each
// further lookup gives the next one, so an event shows which lookup it used.
inline constexpr BYTE first_fake_scan_code = 0x61;

// What the module asked of the platform.
struct platform_log {
    // "GetKeyState(0x14)", "GetKeyboardState", "SetKeyboardState",
    // "MapVirtualKeyA(0x14, 0)", "keybd_event(0x14, 0x61, 1, 0)",
    // "mciSendStringA(\"...\", null, 0, null)".
    std::vector<std::string> calls;
    std::vector<key_state> states_read;     // as GetKeyboardState gave them
    std::vector<key_state> states_written;  // as handed to SetKeyboardState
    std::vector<MCIERROR> mci_results;      // as mciSendStringA answered
};

struct platform_answers {
    // GetKeyboardState answers this state; none: the thread's real one.
    std::optional<key_state> keyboard;
    // mciSendStringA goes to the real MCI; otherwise it answers mci_result.
    bool real_mci = false;
    MCIERROR mci_result = MCIERR_CANNOT_LOAD_DRIVER;  // 266, as with no CD drive
};

// Replaces GetKeyState, GetKeyboardState, SetKeyboardState, MapVirtualKeyA,
// keybd_event and mciSendStringA in the module's import table for its
// lifetime. GetKeyState and SetKeyboardState are passed on; MapVirtualKeyA
// gives fake scan codes; keybd_event is dropped, so no input is injected.
// One at a time.
class recorded_platform {
public:
    recorded_platform(HMODULE module, platform_answers answers);
    ~recorded_platform();
    recorded_platform(const recorded_platform &) = delete;
    recorded_platform &operator=(const recorded_platform &) = delete;

    platform_log log;
    platform_answers answers;
    int scan_code_lookups = 0;

private:
    std::vector<std::unique_ptr<host::import_scope>> scopes;
};

// The log lines of the calls, as recorded_platform writes them.
std::string get_key_state_call(BYTE key);
std::string map_virtual_key_call(BYTE key, UINT map_type);
std::string keybd_event_call(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra);
std::string mci_call(const char *command, const void *buffer, UINT length, HWND window);

// Sets the thread's keyboard state with only key's byte changed, after taking
// in whatever the session's input changed since the thread last looked.
void prepare_key(BYTE key, BYTE state);

// The 256 bytes of the calling thread's keyboard state.
key_state thread_key_state();

// "0x81", for messages.
std::string hex(unsigned value);

}  // namespace devices
