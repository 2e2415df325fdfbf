#pragma once

#include <cstdint>
#include <cstring>

// Converts a double argument to a channel index or value, rounding under the
// calling thread's x87 rounding mode (FISTP to a 64-bit integer), and gives
// false when it names no int32 at all: NaN, infinities, and values whose
// rounding leaves the int32 range. The classification reads the bits in
// memory, never the FPU, and only a value known to fit is loaded, so a host
// running with invalid-operation exceptions unmasked sees none raised, even
// for a signalling NaN. The control word is never touched, as a C++
// conversion would (it truncates by rewriting it).
inline bool round_index(const double &value, int32_t &rounded) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const uint32_t biased_exponent = static_cast<uint32_t>(bits >> 52) & 0x7FF;
    constexpr uint32_t exponent_of_2_to_62 = 1023 + 62;
    if (biased_exponent >= exponent_of_2_to_62) return false;  // also NaN and infinities
    int64_t wide;
    __asm__("fldl %1\n\tfistpll %0" : "=m"(wide) : "m"(value));
    if (wide < INT32_MIN || wide > INT32_MAX) return false;
    rounded = static_cast<int32_t>(wide);
    return true;
}
