// Analogue output 0 (remembered only) and binary outputs 0 to 3 (the PC's own
// devices), with read-back of what the host wrote.
#include <atomic>

#include "../devices/devices.h"
#include "channels.h"

namespace {

// Everything the host wrote, zero from load to the first write, never reset.
struct output_record_fields {
    // Last value passed to sb for indexes 0 to 7; slot 8 is readable, never written.
    int32_t binary_outputs[9];
    // Last value written by sa to analogue output 0.
    int32_t analogue_output_int;
    // Last value written by sad; one indivisible 8-byte access, so a reader on
    // another thread never sees half of two different writes.
    std::atomic<double> analogue_output_real;
};
static_assert(std::atomic<double>::is_always_lock_free);

constinit output_record_fields output_record{};

constexpr uint32_t recorded_binary_outputs = 8;
constexpr uint32_t readable_binary_outputs = 9;

constexpr text analogue_output_names[] = {
    "sortie analogique fictive",  // 0: no device, remembered only
};

// Windows-1252: 0xEA and 0xE9 are the accented "e" of "Arret Defil".
constexpr text binary_output_names[] = {
    "Verr. Majusc.",         // 0: Caps Lock light
    "Verr. Num.",            // 1: Num Lock light
    "Arr\xEAt D\xE9" "fil",  // 2: Scroll Lock light
    "CD ouvert",             // 3: CD tray door, open when on
};

constexpr uint32_t lock_light_outputs = 3;
constexpr uint32_t door_output = 3;

}  // namespace

int32_t PLOKVAR_REGISTER sa(int32_t index, int32_t value) {
    if (index != 0) return channel_error;
    output_record.analogue_output_int = value;
    return 0;
}

double PLOKVAR_REGISTER sad(int32_t index, double value) {
    if (index != 0) return channel_error_real;
    output_record.analogue_output_real.store(value, std::memory_order_relaxed);
    return value;
}

int32_t PLOKVAR_REGISTER rsa(int32_t index) {
    return index == 0 ? output_record.analogue_output_int : channel_error;
}

double PLOKVAR_REGISTER rsad(int32_t index) {
    if (index != 0) return channel_error_real;
    return output_record.analogue_output_real.load(std::memory_order_relaxed);
}

text PLOKVAR_REGISTER nsa(int32_t index) { return channel_name(analogue_output_names, index); }
text PLOKVAR_REGISTER nsad(int32_t index) { return channel_name(analogue_output_names, index); }

int32_t PLOKVAR_REGISTER sb(int32_t index, int32_t value) {
    const uint32_t channel = static_cast<uint32_t>(index);
    const bool on = value == 1;
    int32_t result = channel_error;
    if (channel < lock_light_outputs) {
        set_lock_light(channel, on);
        result = 0;
    } else if (channel == door_output) {
        set_door(on);
        result = 0;
    }
    // The value as passed, not the on/off state, and also for 4 to 7, which
    // have no device.
    if (channel < recorded_binary_outputs) output_record.binary_outputs[channel] = value;
    return result;
}

text PLOKVAR_REGISTER nsb(int32_t index) { return channel_name(binary_output_names, index); }

int32_t PLOKVAR_REGISTER rsb(int32_t index) {
    const uint32_t channel = static_cast<uint32_t>(index);
    return channel < readable_binary_outputs ? output_record.binary_outputs[channel] : channel_error;
}
