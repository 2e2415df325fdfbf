// The channel engine: what each channel index means and the seventeen base
// operations, all in the register convention.
#pragma once

#include <cstdint>

#include "../exports/conventions.h"

using text = const char *;

inline constexpr int32_t channel_error = -777;
inline constexpr double channel_error_real = -777.0;
inline constexpr text empty_text = "";

// A double exactly as stored in memory: drops any extra precision the x87
// registers carry under the host's precision setting.
inline double as_double(double value) {
    volatile double stored = value;
    return stored;
}

extern "C" {
// Inputs
int32_t PLOKVAR_REGISTER ea(int32_t index);
text PLOKVAR_REGISTER nea(int32_t index);
double PLOKVAR_REGISTER ead(int32_t index);
text PLOKVAR_REGISTER nead(int32_t index);
int32_t PLOKVAR_REGISTER eb(int32_t index);
text PLOKVAR_REGISTER neb(int32_t index);
text PLOKVAR_REGISTER titre();
text PLOKVAR_REGISTER detail();

// Outputs and read-back
int32_t PLOKVAR_REGISTER sa(int32_t index, int32_t value);
text PLOKVAR_REGISTER nsa(int32_t index);
double PLOKVAR_REGISTER sad(int32_t index, double value);
text PLOKVAR_REGISTER nsad(int32_t index);
int32_t PLOKVAR_REGISTER rsa(int32_t index);
double PLOKVAR_REGISTER rsad(int32_t index);
int32_t PLOKVAR_REGISTER sb(int32_t index, int32_t value);
text PLOKVAR_REGISTER nsb(int32_t index);
int32_t PLOKVAR_REGISTER rsb(int32_t index);
}

// The name of a channel from a kind's table, or the empty text.
template <uint32_t count>
text channel_name(const text (&names)[count], int32_t index) {
    const uint32_t channel = static_cast<uint32_t>(index);
    return channel < count ? names[channel] : empty_text;
}
