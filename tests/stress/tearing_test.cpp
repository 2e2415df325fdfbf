// The analogue output's real value under concurrent writes: a reader never
// sees the high half of one write with the low half of another. A value
// written in two halves shows only while reader and writer run at the same
// moment on two processors; on a busy machine that is rare, so a clean run
// here is evidence, not proof.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "host.h"
#include "typed_calls.h"

namespace {

using host::bits_of;

// Two ordinary doubles that differ in both halves, so that either mix of
// halves is a third value.
constexpr uint64_t pattern_bits[] = {0x3FF5555555555555, 0xC0BAAAAAAAAAAAAB};

// On two processors a reader and one writer run side by side all the time;
// more writers would only take turns with them.
constexpr int writer_count = 1;
constexpr int reads = 1000000;
constexpr long writes_at_most = 20000000;

struct writer {
    HMODULE module;
    const std::atomic<bool> *stop;
    std::atomic<bool> started{false};
    long writes = 0;
};

// Both patterns in turn, each through every export that writes
// analogue_output_real from a double, so the value keeps changing under the
// reader.
DWORD WINAPI write_both_patterns(void *parameter) {
    writer &w = *static_cast<writer *>(parameter);
    using namespace stress;
    const auto sad = resolve<register_function<double, int32_t, double>>(w.module, "sad");
    const auto stdsad = resolve<stdcall_function<double, int32_t, double>>(w.module, "stdsad");
    const auto csad = resolve<cdecl_function<double, int32_t, double>>(w.module, "csad");
    const auto sadouble = resolve<register_function<double, double, double>>(w.module, "sadouble");  // value, index
    const auto stdsadouble = resolve<stdcall_function<double, double, double>>(w.module, "stdsadouble");
    const auto csadouble = resolve<cdecl_function<double, double, double>>(w.module, "csadouble");
    const auto psad = resolve<register_function<double *, int32_t, const double *>>(w.module, "psad");
    const double patterns[] = {host::double_from_bits(pattern_bits[0]), host::double_from_bits(pattern_bits[1])};
    while (!w.stop->load(std::memory_order_relaxed) && w.writes < writes_at_most) {
        const double &value = patterns[w.writes % 2];
        switch (w.writes / 2 % 7) {
        case 0: sad(0, value); break;
        case 1: stdsad(0, value); break;
        case 2: csad(0, value); break;
        case 3: sadouble(value, 0.0); break;
        case 4: stdsadouble(0.0, value); break;
        case 5: csadouble(0.0, value); break;
        case 6: psad(0, &value); break;
        }
        if (w.writes++ == 0) w.started.store(true);
    }
    return 0;
}

}  // namespace

TEST(NoTornValues, AReaderSeesOnlyWholeWrites) {
    using namespace stress;
    const HMODULE module = host::module();
    const uint64_t initial = bits_of(host::call("rsad", {host::i(0)}).as_real());

    const auto rsad = resolve<register_function<double, int32_t>>(module, "rsad");
    const auto stdrsad = resolve<stdcall_function<double, int32_t>>(module, "stdrsad");
    const auto crsad = resolve<cdecl_function<double, int32_t>>(module, "crsad");
    const auto rsadouble = resolve<register_function<double, double>>(module, "rsadouble");
    const std::vector<std::function<double()>> readers = {
        [=] { return rsad(0); }, [=] { return rsadouble(0.0); },
        [=] { return stdrsad(0); }, [=] { return crsad(0); },
    };

    std::atomic<bool> stop{false};
    writer writers[writer_count];
    HANDLE threads[writer_count];
    for (int n = 0; n < writer_count; ++n) {
        writers[n].module = module;
        writers[n].stop = &stop;
        threads[n] = CreateThread(nullptr, 0, write_both_patterns, &writers[n], 0, nullptr);
        ASSERT_NE(threads[n], nullptr);
    }
    // Reader and writer on processors of their own where there are two, so
    // that they run at the same time rather than in turns.
    DWORD_PTR process_mask, system_mask;
    GetProcessAffinityMask(GetCurrentProcess(), &process_mask, &system_mask);
    const DWORD_PTR first = process_mask & -process_mask, others = process_mask & ~first;
    if (others) {
        SetThreadAffinityMask(GetCurrentThread(), first);
        for (HANDLE t : threads) SetThreadAffinityMask(t, others);
    }
    for (const auto &w : writers)
        while (!w.started.load()) SwitchToThread();

    long seen[2] = {0, 0}, seen_initial = 0, torn = 0;
    uint64_t first_torn = 0;
    for (int n = 0; n < reads; ++n) {
        volatile double read = readers[n % readers.size()]();
        const uint64_t bits = bits_of(read);
        if (bits == pattern_bits[0]) ++seen[0];
        else if (bits == pattern_bits[1]) ++seen[1];
        else if (bits == initial) ++seen_initial;
        else if (torn++ == 0) first_torn = bits;
    }
    stop.store(true);
    WaitForMultipleObjects(writer_count, threads, TRUE, INFINITE);
    if (others) SetThreadAffinityMask(GetCurrentThread(), process_mask);
    for (HANDLE t : threads) CloseHandle(t);

    long writes = 0;
    for (const auto &w : writers) writes += w.writes;
    std::printf("%d reads: %ld of one pattern, %ld of the other, %ld of the initial value, %ld torn; %ld writes\n",
                reads, seen[0], seen[1], seen_initial, torn, writes);
    EXPECT_EQ(torn, 0) << "first torn value 0x" << std::hex << first_torn;
    EXPECT_GT(seen[0] + seen[1], 0) << "the reader never saw a write";
}
