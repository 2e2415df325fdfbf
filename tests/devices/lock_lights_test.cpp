// The lock lights: sb on binary outputs 0 to 2, seen through a low-level
// keyboard hook and the thread's keyboard state, and call by call through the
// module's import table. The non-NT path runs in a host of its own under
// Wine's Windows 98 version.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "recorders.h"

using devices::hex;
using devices::lock_light_keys;
using host::i;

namespace {

struct toggle_case {
    BYTE prepared;  // the key's byte in the thread's keyboard state
    int32_t value;  // passed to sb
    bool toggles;   // a press and a release are synthesised
};

const toggle_case toggle_cases[] = {
    {0x00, 1, true},
    {0x01, 1, false},
    {0x01, 0, true},
    {0x00, 0, false},
    {0x80, 1, true},   // held down, lock off: still switched on
    {0x81, 1, false},  // held down, lock on: already on
    {0x81, 0, true},
    {0x80, 0, false},
    {0x01, 5, true},  // every value but 1 asks for off
    {0x00, 5, false},
    {0x01, 2, true},
    {0x01, -1, true},
    {0x81, INT32_MIN, true},
    {0x00, INT32_MIN, false},
};

std::string describe(int32_t light, const toggle_case &c) {
    return "sb(" + std::to_string(light) + ", " + std::to_string(c.value) + ") with the key's byte at " +
           hex(c.prepared);
}

// Markers in the extra information of the events the tests inject themselves.
constexpr ULONG_PTR settle_marker = 0x504C4B53;  // swallowed by the hook
constexpr ULONG_PTR learn_marker = 0x504C4B4C;   // passed on, not recorded
constexpr BYTE settle_key = VK_F24;

// A keyboard event as the low-level hook saw it, as text.
std::string describe_event(WPARAM message, DWORD key, DWORD scan, DWORD flags, ULONG_PTR extra) {
    char name[16];
    if (message == WM_KEYDOWN) std::snprintf(name, sizeof name, "WM_KEYDOWN");
    else if (message == WM_KEYUP) std::snprintf(name, sizeof name, "WM_KEYUP");
    else std::snprintf(name, sizeof name, "message 0x%X", message);
    char text[160];
    std::snprintf(text, sizeof text, "%s 0x%02lX scan 0x%02lX%s%s%s flags 0x%02lX extra %lu", name, key, scan,
                  flags & LLKHF_EXTENDED ? " extended" : "", flags & LLKHF_INJECTED ? " injected" : "",
                  flags & LLKHF_UP ? " up" : "", flags, static_cast<unsigned long>(extra));
    return text;
}

// The press and release of a lock key, as the module must synthesise them.
std::vector<std::string> press_and_release(BYTE key) {
    const DWORD scan = MapVirtualKeyA(key, 0);
    return {describe_event(WM_KEYDOWN, key, scan, LLKHF_EXTENDED | LLKHF_INJECTED, 0),
            describe_event(WM_KEYUP, key, scan, LLKHF_EXTENDED | LLKHF_INJECTED | LLKHF_UP, 0)};
}

// A WH_KEYBOARD_LL hook on a thread of its own. The system calls a low-level
// hook through the message loop of the thread that installed it, so the test
// thread, which calls the module, never has to pump messages itself.
class keyboard_watch {
public:
    keyboard_watch() {
        InitializeCriticalSection(&lock);
        ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        settled = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        current = this;
        thread = CreateThread(nullptr, 0, &keyboard_watch::run, this, 0, &thread_id);
        WaitForSingleObject(ready, INFINITE);
    }

    ~keyboard_watch() {
        PostThreadMessageA(thread_id, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        CloseHandle(settled);
        CloseHandle(ready);
        DeleteCriticalSection(&lock);
        current = nullptr;
    }

    bool installed() const { return hook != nullptr; }

    // Injects a marker key and waits until the hook has seen it: every event
    // injected before has then passed the hook and reached the session.
    void settle() {
        keybd_event(settle_key, 0, 0, settle_marker);
        keybd_event(settle_key, 0, KEYEVENTF_KEYUP, settle_marker);
        // Not a measure of speed: only a guard against a hook that never answers.
        ASSERT_EQ(WaitForSingleObject(settled, 60000), WAIT_OBJECT_0) << "the hook never saw the marker key";
    }

    // The events seen since the last take, oldest first.
    std::vector<std::string> take() {
        EnterCriticalSection(&lock);
        std::vector<std::string> taken;
        taken.swap(events);
        LeaveCriticalSection(&lock);
        return taken;
    }

    // The session's state of a lock, learned the only way a thread can be sure
    // of it under Wine: a thread takes the session's byte for a key in only
    // when that byte has changed since the thread last looked (a new thread
    // starts with every key off), so the lock is toggled once.
    bool learn_lock(BYTE key) {
        const BYTE scan = static_cast<BYTE>(MapVirtualKeyA(key, 0));
        keybd_event(key, scan, KEYEVENTF_EXTENDEDKEY, learn_marker);
        keybd_event(key, scan, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, learn_marker);
        settle();
        return GetKeyState(key) & 1;
    }

private:
    static DWORD WINAPI run(void *self) {
        auto *watch = static_cast<keyboard_watch *>(self);
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // a queue for WM_QUIT
        watch->hook = SetWindowsHookExA(WH_KEYBOARD_LL, &keyboard_watch::seen, GetModuleHandleA(nullptr), 0);
        SetEvent(watch->ready);
        while (watch->hook && GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
        if (watch->hook) UnhookWindowsHookEx(watch->hook);
        return 0;
    }

    static LRESULT CALLBACK seen(int code, WPARAM message, LPARAM data) {
        if (code == HC_ACTION) {
            const auto *event = reinterpret_cast<const KBDLLHOOKSTRUCT *>(data);
            if (event->dwExtraInfo == settle_marker) {
                if (event->flags & LLKHF_UP) SetEvent(current->settled);
                return 1;
            }
            if (event->dwExtraInfo != learn_marker) {
                EnterCriticalSection(&current->lock);
                current->events.push_back(
                    describe_event(message, event->vkCode, event->scanCode, event->flags, event->dwExtraInfo));
                LeaveCriticalSection(&current->lock);
            }
        }
        return CallNextHookEx(nullptr, code, message, data);
    }

    static inline keyboard_watch *current = nullptr;
    CRITICAL_SECTION lock;
    HANDLE ready, settled, thread;
    DWORD thread_id = 0;
    HHOOK hook = nullptr;
    std::vector<std::string> events;
};

std::string lines(const std::vector<std::string> &texts) {
    std::string all;
    for (const auto &t : texts) all += "\n    " + t;
    return texts.empty() ? "\n    (none)" : all;
}

bool running_under_wine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Runs a program beside this one and gives back its exit code and everything
// it wrote.
DWORD run_beside(const char *program, std::string &output) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command(path, length);
    command.erase(command.find_last_of("\\/") + 1);
    command = "\"" + command + program + "\"";

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read_end, write_end;
    if (!CreatePipe(&read_end, &write_end, &inherited, 0)) return ~0u;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = write_end;
    startup.hStdError = write_end;
    PROCESS_INFORMATION process{};
    const BOOL started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(write_end);
    if (!started) {
        CloseHandle(read_end);
        output = "cannot start " + command;
        return ~0u;
    }
    char buffer[4096];
    DWORD got;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got) output.append(buffer, got);
    CloseHandle(read_end);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = ~0u;
    GetExitCodeProcess(process.hProcess, &exit_code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exit_code;
}

// Wine's per-program settings; Version makes Wine report that Windows version
// to the program of that name alone.
constexpr const char *non_nt_host = "lock_lights_non_nt_host.exe";
const std::string non_nt_host_settings = std::string("Software\\Wine\\AppDefaults\\") + non_nt_host;

}  // namespace

TEST(LockLights, CallsOfTheNtPath) {
    for (int32_t light = 0; light < 3; ++light) {
        const BYTE key = lock_light_keys[light];
        for (const auto &c : toggle_cases) {
            devices::platform_answers answers;
            // Every other key, the other locks included, the opposite way, so a
            // look at the wrong byte decides the other way.
            answers.keyboard.emplace();
            answers.keyboard->fill(c.prepared ^ 0x01);
            (*answers.keyboard)[key] = c.prepared;
            devices::recorded_platform platform(host::module(), answers);

            EXPECT_EQ(host::call("sb", {i(light), i(c.value)}).as_int(), 0) << describe(light, c);

            // The key's state taken in before the whole state is read, so that
            // a repeated request sees the effect of the previous one.
            std::vector<std::string> expected = {devices::get_key_state_call(key), "GetKeyboardState"};
            if (c.toggles) {
                const BYTE first = devices::first_fake_scan_code, second = first + 1;
                expected.push_back(devices::map_virtual_key_call(key, MAPVK_VK_TO_VSC));
                expected.push_back(devices::keybd_event_call(key, first, KEYEVENTF_EXTENDEDKEY, 0));
                expected.push_back(devices::map_virtual_key_call(key, MAPVK_VK_TO_VSC));
                expected.push_back(
                    devices::keybd_event_call(key, second, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0));
            }
            EXPECT_TRUE(platform.log.calls == expected)
                << describe(light, c) << "\n  calls:" << lines(platform.log.calls)
                << "\n  expected:" << lines(expected);
        }
    }
}

TEST(LockLights, SessionSeesOnePressAndReleaseWhenTheToggleBitDiffers) {
    keyboard_watch watch;
    ASSERT_TRUE(watch.installed()) << "cannot install a low-level keyboard hook";
    for (int32_t light = 0; light < 3; ++light) {
        const BYTE key = lock_light_keys[light];
        bool session_on = watch.learn_lock(key);
        for (const auto &c : toggle_cases) {
            devices::prepare_key(key, c.prepared);
            EXPECT_EQ(host::call("sb", {i(light), i(c.value)}).as_int(), 0) << describe(light, c);
            watch.settle();
            const auto seen = watch.take();
            const auto expected = c.toggles ? press_and_release(key) : std::vector<std::string>{};
            EXPECT_TRUE(seen == expected) << describe(light, c) << "\n  seen:" << lines(seen)
                                      << "\n  expected:" << lines(expected);
            if (c.toggles && seen == expected) {
                session_on = !session_on;
                EXPECT_EQ(GetKeyState(key) & 0x81, session_on ? 1 : 0)
                    << describe(light, c) << ": the session's lock after the press and release";
            }
        }
    }
}

TEST(LockLights, RepeatedRequestTogglesOnceWithoutMessagesBetween) {
    keyboard_watch watch;
    ASSERT_TRUE(watch.installed()) << "cannot install a low-level keyboard hook";
    for (int32_t light = 0; light < 3; ++light) {
        const BYTE key = lock_light_keys[light];
        const int32_t wanted = watch.learn_lock(key) ? 0 : 1;
        for (int n = 0; n < 3; ++n) EXPECT_EQ(host::call("sb", {i(light), i(wanted)}).as_int(), 0);
        watch.settle();
        const auto seen = watch.take();
        EXPECT_TRUE(seen == press_and_release(key))
            << "sb(" << light << ", " << wanted << ") three times; seen:" << lines(seen)
            << "\n  expected:" << lines(press_and_release(key));
        EXPECT_EQ(GetKeyState(key) & 1, wanted) << "the session's lock " << light;

        EXPECT_EQ(host::call("sb", {i(light), i(wanted)}).as_int(), 0);
        watch.settle();
        const auto again = watch.take();
        EXPECT_TRUE(again.empty()) << "sb(" << light << ", " << wanted << ") once more; seen:" << lines(again);
    }
}

TEST(LockLights, NonNtPlatformWritesTheStateBack) {
    if (!running_under_wine()) GTEST_SKIP() << "needs Wine's per-program Windows version";
    HKEY settings;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, non_nt_host_settings.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &settings, nullptr),
              ERROR_SUCCESS);
    const char version[] = "win98";
    RegSetValueExA(settings, "Version", 0, REG_SZ, reinterpret_cast<const BYTE *>(version), sizeof version);
    RegCloseKey(settings);

    std::string output;
    const DWORD exit_code = run_beside(non_nt_host, output);
    RegDeleteKeyA(HKEY_CURRENT_USER, non_nt_host_settings.c_str());

    EXPECT_EQ(exit_code, 0u) << output;
    EXPECT_NE(output.find("[  PASSED  ]"), std::string::npos) << output;
    EXPECT_EQ(output.find("[  SKIPPED ]"), std::string::npos) << output;
}
