// The PC's own devices behind binary outputs 0 to 3.
#pragma once

#include <cstdint>

// True when the system reports the NT platform; taken once at load.
extern bool is_nt_platform;

// Switches lock light 0 (Caps Lock), 1 (Num Lock) or 2 (Scroll Lock), and with
// it the lock it shows. Failures of the keyboard calls are not reported.
void set_lock_light(uint32_t light, bool on);

// Opens or closes the CD tray and returns once the drive has moved it; MCI
// errors (no drive, no disc) are dropped.
void set_door(bool open);
