// A host that lock_lights_test starts under Wine's Windows 98 version: here
// the module writes the keyboard state back instead of synthesising keys.
#include <gtest/gtest.h>

#include <string>

#include "recorders.h"

using devices::hex;
using devices::key_state;
using host::i;

namespace {

struct write_back_case {
    BYTE prepared;  // the key's byte in the thread's keyboard state
    int32_t value;  // passed to sb
    BYTE written;   // the key's byte handed back
};

const write_back_case write_back_cases[] = {
    {0x00, 1, 0x01},
    {0x01, 1, 0x01},
    {0x80, 1, 0x01},  // the held-down bit is cleared as well
    {0x81, 1, 0x01},
    {0x00, 0, 0x00},
    {0x01, 0, 0x00},
    {0x80, 0, 0x00},
    {0x81, 0, 0x00},
    {0x01, 5, 0x00},  // every value but 1 asks for off
    {0x81, -1, 0x00},
    {0x01, 2, 0x00},
};

// A state in which every key has one of the four states a key can have.
key_state pattern() {
    constexpr BYTE states[] = {0x00, 0x81, 0x01, 0x80};
    key_state keys;
    for (size_t k = 0; k < keys.size(); ++k) keys[k] = states[(k * 7 + k / 4) % 4];
    return keys;
}

std::string differences(const key_state &seen, const key_state &expected) {
    std::string text;
    for (size_t k = 0; k < seen.size(); ++k)
        if (seen[k] != expected[k]) text += " key " + hex(k) + ": " + hex(seen[k]) + " not " + hex(expected[k]) + ";";
    return text.empty() ? " none" : text;
}

class NonNtPlatform : public testing::Test {
protected:
    void SetUp() override {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        ASSERT_TRUE(GetVersionExA(&version));
        ASSERT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS))
            << "this host must run under Wine's Windows 98 version (HKCU\\Software\\Wine\\AppDefaults\\"
               "lock_lights_non_nt_host.exe, Version = win98); lock_lights_test arranges that";
    }
};

}  // namespace

TEST_F(NonNtPlatform, StateIsWrittenBackWholeWithOnlyTheLightsByteChanged) {
    for (int32_t light = 0; light < 3; ++light) {
        const BYTE key = devices::lock_light_keys[light];
        for (const auto &c : write_back_cases) {
            const std::string what = "sb(" + std::to_string(light) + ", " + std::to_string(c.value) +
                                     ") with the key's byte at " + hex(c.prepared);
            key_state prepared = pattern();
            prepared[key] = c.prepared;
            GetKeyState(key);
            SetKeyboardState(prepared.data());

            devices::recorded_platform platform(host::module(), {});
            EXPECT_EQ(host::call("sb", {i(light), i(c.value)}).as_int(), 0) << what;

            const std::vector<std::string> expected_calls = {devices::get_key_state_call(key), "GetKeyboardState",
                                                             "SetKeyboardState"};
            ASSERT_EQ(platform.log.calls, expected_calls) << what;
            EXPECT_EQ(platform.log.states_read[0], prepared)
                << what << ": read" << differences(platform.log.states_read[0], prepared);
            key_state expected = platform.log.states_read[0];
            expected[key] = c.written;
            EXPECT_EQ(platform.log.states_written[0], expected)
                << what << ": written back" << differences(platform.log.states_written[0], expected);
            const key_state after = devices::thread_key_state();
            EXPECT_EQ(after, expected) << what << ": the thread's state afterwards" << differences(after, expected);
        }
    }
}
