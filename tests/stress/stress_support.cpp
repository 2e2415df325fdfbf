#include "stress_support.h"

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace stress {

namespace {

// One row of the system handle list (NtQuerySystemInformation class 16).
struct system_handle {
    ULONG process_id;
    BYTE object_type, flags;
    USHORT value;
    void *object;
    ACCESS_MASK access;
};

using query_system_information = LONG(WINAPI *)(ULONG, void *, ULONG, ULONG *);

// Wine answers GetProcessHandleCount with 0; its system handle list is right.
DWORD handles_in_system_list() {
    constexpr ULONG system_handle_information = 16;
    constexpr LONG info_length_mismatch = static_cast<LONG>(0xC0000004);
    auto query = reinterpret_cast<query_system_information>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<BYTE> buffer(1 << 16);
    ULONG length = 0;
    LONG status;
    while ((status = query(system_handle_information, buffer.data(), static_cast<ULONG>(buffer.size()), &length)) ==
           info_length_mismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0) return 0;
    ULONG count;
    std::memcpy(&count, buffer.data(), sizeof count);
    const auto *rows = reinterpret_cast<const system_handle *>(buffer.data() + sizeof(ULONG));
    DWORD mine = 0;
    for (ULONG n = 0; n < count; ++n) mine += rows[n].process_id == GetCurrentProcessId();
    return mine;
}

SIZE_T committed_private_and_mapped() {
    SIZE_T committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const BYTE *address = nullptr; VirtualQuery(address, &region, sizeof region);) {
        if (region.State == MEM_COMMIT && (region.Type == MEM_PRIVATE || region.Type == MEM_MAPPED))
            committed += region.RegionSize;
        const BYTE *next = static_cast<const BYTE *>(region.BaseAddress) + region.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return committed;
}

SIZE_T heap_blocks_in_use() {
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(256, heaps);
    SIZE_T in_use = 0;
    for (DWORD n = 0; n < count && n < 256; ++n) {
        if (!HeapLock(heaps[n])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[n], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) in_use += entry.cbData;
        HeapUnlock(heaps[n]);
    }
    return in_use;
}

}  // namespace

process_usage current_usage() {
    process_usage usage{};
    if (!GetProcessHandleCount(GetCurrentProcess(), &usage.handles) || usage.handles == 0)
        usage.handles = handles_in_system_list();
    usage.committed_bytes = committed_private_and_mapped();
    usage.heap_bytes = heap_blocks_in_use();
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters);
    usage.reported_private_bytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    return usage;
}

void print_usage(const process_usage &settled, const process_usage &after) {
    auto kib = [](SIZE_T bytes) { return static_cast<unsigned long>(bytes / 1024); };
    std::printf("handles %lu then %lu; committed private memory %lu KiB then %lu KiB; heap blocks in use "
                "%lu bytes then %lu; process memory counters %lu KiB then %lu KiB\n",
                static_cast<unsigned long>(settled.handles), static_cast<unsigned long>(after.handles),
                kib(settled.committed_bytes), kib(after.committed_bytes),
                static_cast<unsigned long>(settled.heap_bytes), static_cast<unsigned long>(after.heap_bytes),
                kib(settled.reported_private_bytes), kib(after.reported_private_bytes));
}

x87_state current_x87_state() {
    // FNSTENV masks every exception after storing; FLDENV puts them back.
    uint16_t environment[14];
    __asm__ volatile("fnstenv %0\n\tfldenv %0" : "=m"(environment));
    return {environment[4], environment[2]};
}

void clear_x87_exceptions() { __asm__ volatile("fnclex"); }

SYSTEMTIME fixed_time = {2026, 12, 5, 11, 13, 14, 15, 678};

void WINAPI fixed_local_time(SYSTEMTIME *now) { *now = fixed_time; }

int32_t seconds_of_day(const SYSTEMTIME &t) { return t.wHour * 3600 + t.wMinute * 60 + t.wSecond; }

double date_time_serial(const SYSTEMTIME &t) {
    constexpr int64_t ticks_per_day = 864000000000;  // 100 ns ticks
    SYSTEMTIME midnight = t, day_zero = {1899, 12, 6, 30, 0, 0, 0, 0};
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    FILETIME day, zero;
    SystemTimeToFileTime(&midnight, &day);
    SystemTimeToFileTime(&day_zero, &zero);
    auto ticks = [](FILETIME f) { return (static_cast<int64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    const int64_t days = (ticks(day) - ticks(zero)) / ticks_per_day;
    const int32_t milliseconds = seconds_of_day(t) * 1000 + t.wMilliseconds;
    volatile double serial = static_cast<double>(days) + milliseconds / 86400000.0;
    return serial;
}

}  // namespace stress
