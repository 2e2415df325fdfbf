// What the stress hosts share: a private copy of the module, the process's
// own usage figures, the x87 register state, and a fixed local time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"

namespace stress {

// What the process holds now. Memory is counted from the address space
// itself: committed private and mapped pages, which is what PrivateUsage
// reports on Windows. Wine fills only the basic counters, and there
// PagefileUsage is the anonymous resident memory of the Unix process, which
// under an emulator includes its translated code; that figure is kept for
// the record only.
// Heap blocks in use are counted as well: a small leak fits in pages a heap
// has already committed and does not move the first figure.
struct process_usage {
    DWORD handles;
    SIZE_T committed_bytes;
    SIZE_T heap_bytes;
    SIZE_T reported_private_bytes;
};
process_usage current_usage();
// Prints the figures of a run, after its warm-up and at its end.
void print_usage(const process_usage &settled, const process_usage &after);

// The x87 state left between calls: the tag word (0xFFFF when every register
// is empty) and the status word (stack fault in bit 6, TOP in bits 11-13).
struct x87_state {
    uint16_t tags;
    uint16_t status;
};
x87_state current_x87_state();
// Clears the sticky exception flags, the stack fault among them.
void clear_x87_exceptions();

inline constexpr uint16_t x87_all_empty = 0xFFFF;
inline constexpr uint16_t x87_stack_fault = 0x0040;

// A local time the module reads in place of the machine's, installed in a
// module's import table with host::import_scope.
extern SYSTEMTIME fixed_time;
void WINAPI fixed_local_time(SYSTEMTIME *now);

// The two clock readings of fixed_time, worked out from the host's own
// calendar (SystemTimeToFileTime), not the module's.
int32_t seconds_of_day(const SYSTEMTIME &t);
double date_time_serial(const SYSTEMTIME &t);

}  // namespace stress
