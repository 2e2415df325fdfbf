// A reference model of the module's channels, written from the channel rules
// alone: what each export gives for its arguments, what it records, and which
// device calls it makes. The differential fuzz holds the module to it.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host.h"

namespace model {

// The rounding a control word asks for (bits 10 and 11).
enum class rounding { nearest, down, up, toward_zero };
rounding rounding_of(uint16_t control_word);

// A double argument as a channel index or binary value: rounded to an integer
// as the rounding asks, nothing when it is NaN, infinite or outside int32.
std::optional<int32_t> to_index(double value, rounding how);

// A device call as the system sees it.
struct device_call {
    enum kind { key_event, keyboard_state, mci_string } what = key_event;
    BYTE key = 0, scan = 0;
    DWORD flags = 0;
    ULONG_PTR extra = 0;
    std::array<BYTE, 256> keys{};  // keyboard_state: the state handed back
    std::string command;           // mci_string, with its other arguments:
    bool return_buffer = false;
    UINT return_length = 0;
    bool callback_window = false;
    bool operator==(const device_call &) const = default;
};
device_call key_event_call(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra);
device_call keyboard_state_call(const std::array<BYTE, 256> &keys);
device_call mci_string_call(const char *command, bool return_buffer, UINT return_length, bool callback_window);
std::string describe(const device_call &call);

// What the module's devices show before a call: the thread's key states,
// the platform, the local time.
struct system_view {
    std::array<BYTE, 256> keys;
    bool nt_platform;
    SYSTEMTIME now;
};

// What a call should give. Reals are compared bit for bit (NaN with NaN),
// except clock readings under a rounding other than the default, which may
// differ in the last place.
struct answer {
    host::result_kind kind = host::result_kind::int_;
    int32_t integer = 0;
    double real = 0;  // real and single results, and the value behind an address
    std::string text;
    bool clock_reading = false;
};

class channels {
public:
    // Checks that the model reads the row as the table has it: convention,
    // arguments and result. Empty when it does.
    static std::string disagreement(const host::export_row &row);

    answer call(const host::export_row &row, const std::vector<host::argument> &arguments, uint16_t control_word,
                const system_view &system, std::vector<device_call> &devices);

    int32_t binary_output(int slot) const { return binary_outputs_[slot]; }
    int32_t analogue_output_int() const { return analogue_output_int_; }
    double analogue_output_real() const { return analogue_output_real_; }

private:
    std::array<int32_t, 9> binary_outputs_{};
    int32_t analogue_output_int_ = 0;
    double analogue_output_real_ = 0.0;
};

}  // namespace model
