#include <windows.h>

#include "devices.h"

namespace {

// Indexed by the requested state; "wait" returns only once the tray has moved.
constexpr const char *door_commands[] = {
    "Set cdaudio door closed wait",  // 0: off, close
    "Set cdaudio door open wait",    // 1: on, open
};

}  // namespace

void set_door(bool open) {
    mciSendStringA(door_commands[open ? 1 : 0], nullptr, 0, nullptr);
}
