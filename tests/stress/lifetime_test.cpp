// A host that loads and frees the module over and over, and one that calls
// the address forms from many short-lived threads: nothing accumulates.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host.h"
#include "stress_support.h"
#include "typed_calls.h"

using host::d;
using host::i;

namespace {

// What a clean run may still add once the loader, the heap and Wine's own
// bookkeeping have settled in the warm-up; a leak of one small block or one
// handle per cycle or per thread is well beyond it.
constexpr DWORD handle_tolerance = 4;
constexpr SIZE_T committed_bytes_tolerance = 32 * 1024;
constexpr SIZE_T heap_bytes_tolerance = 4 * 1024;

void expect_flat(const stress::process_usage &settled, const stress::process_usage &after) {
    EXPECT_LE(after.handles, settled.handles + handle_tolerance) << "handles";
    EXPECT_LE(after.committed_bytes, settled.committed_bytes + committed_bytes_tolerance) << "committed memory";
    EXPECT_LE(after.heap_bytes, settled.heap_bytes + heap_bytes_tolerance) << "heap blocks in use";
    stress::print_usage(settled, after);
}

bool is_zero(double value) {
    double zero = 0.0;
    return std::memcmp(&value, &zero, sizeof value) == 0;
}

}  // namespace

TEST(LoadAndUnload, EveryFreshLoadStartsWithAZeroRecord) {
    constexpr int cycles = 1000, warm_up = 20;
    host::module_copy copy;
    // A host has user32 and winmm loaded already; without these the system
    // DLLs would be loaded and freed with every cycle too.
    HMODULE user32 = LoadLibraryA("user32.dll"), winmm = LoadLibraryA("winmm.dll");
    stress::process_usage settled{};
    for (int n = 1; n <= cycles; ++n) {
        if (n == warm_up + 1) settled = stress::current_usage();
        HMODULE m = LoadLibraryA(copy.path().c_str());
        ASSERT_NE(m, nullptr) << "load " << n << ": error " << GetLastError();

        for (int32_t slot = 0; slot <= 8; ++slot)
            ASSERT_EQ(host::call_in(m, "rsb", {i(slot)}).as_int(), 0) << "load " << n << ", binary output " << slot;
        ASSERT_EQ(host::call_in(m, "rsa", {i(0)}).as_int(), 0) << "load " << n;
        ASSERT_TRUE(is_zero(host::call_in(m, "rsad", {i(0)}).as_real())) << "load " << n;

        // Left behind for the next load to find, if anything survived.
        host::call_in(m, "sa", {i(0), i(n)});
        host::call_in(m, "sad", {i(0), d(n + 0.25)});
        host::call_in(m, "sb", {i(6), i(n)});
        host::call_in(m, "stdsb", {i(7), i(-n)});
        ASSERT_EQ(host::call_in(m, "rsb", {i(6)}).as_int(), n);

        ASSERT_TRUE(FreeLibrary(m)) << "free " << n;
        ASSERT_EQ(GetModuleHandleA(copy.path().c_str()), nullptr) << "still loaded after free " << n;
    }
    const stress::process_usage after = stress::current_usage();
    FreeLibrary(winmm);
    FreeLibrary(user32);
    expect_flat(settled, after);
}

namespace {

// The five address forms, as a host declares them.
struct address_forms {
    explicit address_forms(HMODULE m)
        : pead(stress::resolve<decltype(pead)>(m, "pead")),
          psad(stress::resolve<decltype(psad)>(m, "psad")),
          pstdead(stress::resolve<decltype(pstdead)>(m, "pstdead")),
          pstdeas(stress::resolve<decltype(pstdeas)>(m, "pstdeas")),
          pceas(stress::resolve<decltype(pceas)>(m, "pceas")) {}
    stress::register_function<double *, int32_t> pead;
    stress::register_function<double *, int32_t, const double *> psad;
    stress::stdcall_function<double *, int32_t> pstdead;
    stress::stdcall_function<float *, int32_t> pstdeas;
    stress::cdecl_function<float *, int32_t> pceas;
};

// Threads run in groups that start and end together, so that each thread's
// calls interleave with the others' and every thread of a group is alive
// while the group's cells are compared.
constexpr int thread_count = 1000, group_size = 8, warm_up_groups = 4;

struct group_gate {
    std::atomic<int> arrived{0};
    void pass(int count) {
        arrived.fetch_add(1);
        while (arrived.load() < count) SwitchToThread();
    }
};

struct thread_work {
    const address_forms *forms;
    int number;
    group_gate *started, *finished;
    double expected_seconds, expected_serial;
    // Written by the thread, read after it has ended.
    const double *real_cell;
    const float *single_cell;
    std::string failure;
};

void fail(thread_work &w, const std::string &what) {
    if (w.failure.empty()) w.failure = "thread " + std::to_string(w.number) + ": " + what;
}

DWORD WINAPI use_every_address_form(void *parameter) {
    thread_work &w = *static_cast<thread_work *>(parameter);
    const address_forms &p = *w.forms;
    const double mine = 1000.0 + w.number / 8.0;
    w.started->pass(group_size);

    const double *written = p.psad(0, &mine);
    w.real_cell = written;
    SwitchToThread();  // the others write their own values meanwhile
    if (*written != mine) fail(w, "psad cell holds " + std::to_string(*written));

    const double *read = p.pead(1);
    if (*read != w.expected_serial) fail(w, "pead 1 gives " + std::to_string(*read));
    const double *again = p.pstdead(0);
    if (again != read) fail(w, "pstdead gives another cell than pead");
    SwitchToThread();
    if (*again != w.expected_seconds) fail(w, "pstdead 0 gives " + std::to_string(*again));
    if (*p.pead(7) != -777.0) fail(w, "pead 7 is not -777");

    const float *single = p.pstdeas(1);
    w.single_cell = single;
    SwitchToThread();
    if (*single != static_cast<float>(w.expected_serial)) fail(w, "pstdeas 1 gives " + std::to_string(*single));
    const float *other = p.pceas(0);
    if (*other != static_cast<float>(w.expected_seconds)) fail(w, "pceas 0 gives " + std::to_string(*other));
    if (*p.pceas(-1) != -777.0f) fail(w, "pceas -1 is not -777");

    w.finished->pass(group_size);
    return 0;
}

}  // namespace

TEST(ShortLivedThreads, EveryAddressFormGivesEachThreadItsOwnValues) {
    const HMODULE module = host::module();
    host::import_scope clock(module, "kernel32.dll", "GetLocalTime", reinterpret_cast<void *>(&stress::fixed_local_time));
    const address_forms forms(module);
    const double seconds = stress::seconds_of_day(stress::fixed_time);
    const double serial = stress::date_time_serial(stress::fixed_time);

    stress::process_usage settled{};
    for (int first = 0; first < thread_count; first += group_size) {
        if (first == warm_up_groups * group_size) settled = stress::current_usage();
        group_gate started, finished;
        std::vector<thread_work> work(group_size);
        std::vector<HANDLE> threads;
        for (int n = 0; n < group_size; ++n) {
            work[n] = {&forms, first + n, &started, &finished, seconds, serial, nullptr, nullptr, {}};
            HANDLE t = CreateThread(nullptr, 0, use_every_address_form, &work[n], 0, nullptr);
            ASSERT_NE(t, nullptr) << "thread " << first + n;
            threads.push_back(t);
        }
        WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
        for (HANDLE t : threads) CloseHandle(t);

        std::set<const void *> cells;
        for (const auto &w : work) {
            ASSERT_EQ(w.failure, "");
            EXPECT_TRUE(cells.insert(w.real_cell).second) << "thread " << w.number << " shares a real cell";
            EXPECT_TRUE(cells.insert(w.single_cell).second) << "thread " << w.number << " shares a single cell";
        }
    }
    const stress::process_usage after = stress::current_usage();
    expect_flat(settled, after);
}
