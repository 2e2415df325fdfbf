// The address forms: results left in cells of the calling thread, readable
// after the call, untouched by other threads' calls.
#include <gtest/gtest.h>

#include <string>

#include "forms_support.h"

using host::d;
using host::i;
using host::p;

namespace {

constexpr double seconds = forms::exact_seconds;
constexpr double serial = forms::exact_serial;

// The address forms as a host declares them.
using register_index = double *(__attribute__((regparm(3), stdcall)) *)(int32_t);
using register_index_value = double *(__attribute__((regparm(3), stdcall)) *)(int32_t, const double *);
using stdcall_real = double *(__attribute__((stdcall)) *)(int32_t);
using stdcall_single = float *(__attribute__((stdcall)) *)(int32_t);
using cdecl_single = float *(__attribute__((cdecl)) *)(int32_t);

struct address_exports {
    register_index pead;
    register_index_value psad;
    stdcall_real pstdead;
    stdcall_single pstdeas;
    cdecl_single pceas;
};

template <typename Function>
Function resolve(HMODULE module, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
}

address_exports resolve_address_exports(HMODULE module) {
    return {resolve<register_index>(module, "pead"), resolve<register_index_value>(module, "psad"),
            resolve<stdcall_real>(module, "pstdead"), resolve<stdcall_single>(module, "pstdeas"),
            resolve<cdecl_single>(module, "pceas")};
}

// Two threads take turns; on its turn a thread first reads what its previous
// calls gave, through the addresses it got, then calls again. So every read
// comes after the other thread's latest calls.
constexpr int rounds = 12;

// What thread `who` asks for in a round.
struct round_request {
    double psad_value;
    int32_t real_index;    // pead, pstdead
    int32_t single_index;  // pstdeas, pceas
};

round_request request(int who, int round) {
    return {who * 1000.0 + round + 0.25, who == 0 ? 1 : 0, who == 0 ? round % 2 : 9};
}

double expected_real(int who, int round) {
    const round_request r = request(who, round);
    if (round % 3 == 0) return r.psad_value;
    return r.real_index == 0 ? seconds : serial;
}

float expected_single(int who, int round) {
    const int32_t index = request(who, round).single_index;
    return index == 0 ? static_cast<float>(seconds) : index == 1 ? static_cast<float>(serial) : -777.0f;
}

struct round_result {
    double real;
    float single;
};

struct turn_taker {
    address_exports exports;
    int who;
    HANDLE my_turn;
    HANDLE other_turn;
    round_result seen[rounds];
    const double *pead_cell;
    const double *pstdead_cell;
};

DWORD WINAPI take_turns(void *context) {
    auto &t = *static_cast<turn_taker *>(context);
    const double *real_cell = nullptr;
    const float *single_cell = nullptr;
    double psad_value = 0;
    for (int round = 0; round <= rounds; ++round) {
        WaitForSingleObject(t.my_turn, INFINITE);
        if (round > 0) t.seen[round - 1] = {*real_cell, *single_cell};
        if (round < rounds) {
            const round_request r = request(t.who, round);
            switch (round % 3) {
            case 0:
                psad_value = r.psad_value;
                real_cell = t.exports.psad(0, &psad_value);
                break;
            case 1: real_cell = t.pead_cell = t.exports.pead(r.real_index); break;
            default: real_cell = t.pstdead_cell = t.exports.pstdead(r.real_index); break;
            }
            single_cell = round % 2 ? t.exports.pceas(r.single_index) : t.exports.pstdeas(r.single_index);
        }
        SetEvent(t.other_turn);
    }
    return 0;
}

// Two turn takers on one module; thread 0 has the first turn.
class turns {
public:
    explicit turns(HMODULE module) {
        const address_exports exports = resolve_address_exports(module);
        for (int who = 0; who < 2; ++who) events[who] = CreateEventA(nullptr, FALSE, who == 0, nullptr);
        for (int who = 0; who < 2; ++who)
            takers[who] = {exports, who, events[who], events[1 - who], {}, nullptr, nullptr};
    }
    ~turns() {
        for (HANDLE event : events) CloseHandle(event);
    }
    turns(const turns &) = delete;
    turns &operator=(const turns &) = delete;

    void check() const {
        for (int who = 0; who < 2; ++who) {
            for (int round = 0; round < rounds; ++round) {
                const auto &seen = takers[who].seen[round];
                EXPECT_EQ(seen.real, expected_real(who, round)) << "thread " << who << ", round " << round;
                EXPECT_EQ(seen.single, expected_single(who, round)) << "thread " << who << ", round " << round;
            }
            EXPECT_EQ(takers[who].pstdead_cell, takers[who].pead_cell) << "thread " << who;
        }
        EXPECT_NE(takers[0].pead_cell, takers[1].pead_cell) << "both threads given one cell";
    }

    HANDLE events[2];
    turn_taker takers[2];
};

// A thread that is running before the module it will call is loaded.
struct late_caller {
    HANDLE running;
    HANDLE loaded;
    turn_taker *taker;  // read once `loaded` is set
};

DWORD WINAPI wait_for_the_module(void *context) {
    auto &late = *static_cast<late_caller *>(context);
    SetEvent(late.running);
    WaitForSingleObject(late.loaded, INFINITE);
    return take_turns(late.taker);
}

}  // namespace

TEST(AddressForms, PstdeadGivesTheCellPeadFilled) {
    forms::fixed_clock clock(forms::exact_time);
    const double *filled = forms::call("pead", {i(0)}).as_ptr<double>();
    const double *again = forms::call("pstdead", {i(1)}).as_ptr<double>();
    EXPECT_EQ(again, filled);
    EXPECT_EQ(*again, serial);
    EXPECT_EQ(forms::call("pstdead", {i(2)}).as_ptr<double>(), filled);
    EXPECT_EQ(*filled, -777.0);
}

TEST(AddressForms, PsadReadsTheValueOnceThroughItsAddress) {
    forms::fixed_clock clock(forms::exact_time);
    double value = 6.5;
    forms::call("sa", {i(0), i(11)});
    const double *cell = forms::call("psad", {i(0), p(&value)}).as_ptr<double>();
    ASSERT_NE(cell, nullptr);
    EXPECT_NE(cell, &value) << "the cell is the module's, not the host's double";
    value = 1.0;
    EXPECT_EQ(*cell, 6.5);
    EXPECT_EQ(forms::call("rsad", {i(0)}).as_real(), 6.5);
    EXPECT_EQ(forms::call("rsa", {i(0)}).as_int(), 11);
    // No channel: -777 in the cell, nothing stored.
    for (int32_t index : {1, -1, INT32_MIN}) {
        EXPECT_EQ(*forms::call("psad", {i(index), p(&value)}).as_ptr<double>(), -777.0) << index;
        EXPECT_EQ(forms::call("rsad", {i(0)}).as_real(), 6.5) << index;
    }
}

// A null address holds no value: the cell says -777 and nothing is stored,
// whatever the cell held before and whatever the index.
TEST(AddressForms, PsadWithANullAddressStoresNothing) {
    forms::fixed_clock clock(forms::exact_time);
    forms::call("sad", {i(0), d(5.5)});
    for (int32_t index : {0, 1, -1}) {
        forms::call("pead", {i(0)});
        const double *cell = forms::call("psad", {i(index), p(nullptr)}).as_ptr<double>();
        ASSERT_NE(cell, nullptr) << index;
        EXPECT_EQ(*cell, -777.0) << index;
        EXPECT_EQ(forms::call("rsad", {i(0)}).as_real(), 5.5) << index;
    }
}

TEST(AddressForms, EachThreadReadsItsOwnCells) {
    forms::fixed_clock clock(forms::exact_time);
    turns t(host::module());
    HANDLE other = CreateThread(nullptr, 0, take_turns, &t.takers[1], 0, nullptr);
    ASSERT_NE(other, nullptr);
    take_turns(&t.takers[0]);
    WaitForSingleObject(other, INFINITE);
    CloseHandle(other);
    t.check();
}

// Cells of a copy loaded while another thread already runs: the loader must
// give that thread a block of the copy's cells too, as it gives this one.
TEST(AddressForms, CellsWorkInACopyLoadedWhileAnotherThreadRuns) {
    host::module_copy copy;

    late_caller late{CreateEventA(nullptr, TRUE, FALSE, nullptr), CreateEventA(nullptr, TRUE, FALSE, nullptr), nullptr};
    HANDLE other = CreateThread(nullptr, 0, wait_for_the_module, &late, 0, nullptr);
    ASSERT_NE(other, nullptr);
    WaitForSingleObject(late.running, INFINITE);

    HMODULE fresh = LoadLibraryA(copy.path().c_str());
    ASSERT_NE(fresh, nullptr);
    {
        forms::fixed_clock clock(forms::exact_time, fresh);
        EXPECT_EQ(*forms::call_in(fresh, "pead", {i(1)}).as_ptr<double>(), serial);
        EXPECT_EQ(*forms::call_in(fresh, "pceas", {i(0)}).as_ptr<float>(), static_cast<float>(seconds));
        turns t(fresh);
        late.taker = &t.takers[1];
        SetEvent(late.loaded);
        take_turns(&t.takers[0]);
        WaitForSingleObject(other, INFINITE);
        t.check();
    }
    CloseHandle(other);
    CloseHandle(late.running);
    CloseHandle(late.loaded);
    FreeLibrary(fresh);
}
