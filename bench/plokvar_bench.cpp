// plokvar-bench: what a call into the module costs, family by family.
//
//   plokvar-bench.exe [ITERATIONS [REPETITIONS]]     (default 100000 7)
//
// Each export is called ITERATIONS times in a row through a function pointer
// from GetProcAddress, as a host does, and timed with QueryPerformanceCounter;
// the figure is the median over REPETITIONS. Beside it, in the same run and
// the same loop, an empty export of the same convention and arguments in
// bench-floor.dll: the bare cost of the call. Clock readings are set against
// the host calling GetLocalTime itself. Prints a table; checks nothing.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "exports/conventions.h"

namespace {

double counter_frequency;

// Where each result goes, so that every call's result is taken as a host takes it.
template <typename Result>
volatile Result sink{};

template <typename Result>
void keep(Result result) {
    sink<Result> = result;
}

template <typename Function, typename... Arguments>
double nanoseconds_per_call(Function function, int iterations, Arguments... arguments) {
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    for (int n = 0; n < iterations; ++n) keep(function(arguments...));
    QueryPerformanceCounter(&stop);
    return static_cast<double>(stop.QuadPart - start.QuadPart) * 1e9 / counter_frequency / iterations;
}

enum class target { none, floor_1_5, floor_3, clock_1_2 };

struct bench_row {
    const char *family;
    std::string call;
    target goal;
    std::function<double(int)> module_loop, floor_loop;
    std::vector<double> module_times, floor_times;
};

HMODULE module, floor_module;

template <typename Function>
Function resolve(HMODULE from, const char *name) {
    FARPROC found = GetProcAddress(from, name);
    if (!found) {
        std::fprintf(stderr, "%s does not resolve\n", name);
        std::exit(2);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void *>(found));
}

template <typename Function, typename... Arguments>
bench_row row(const char *family, const char *call, const char *export_name, const char *floor_name, target goal,
              Arguments... arguments) {
    const Function measured = resolve<Function>(module, export_name);
    const Function empty = resolve<Function>(floor_module, floor_name);
    return {family, call, goal,
            [=](int iterations) { return nanoseconds_per_call(measured, iterations, arguments...); },
            [=](int iterations) { return nanoseconds_per_call(empty, iterations, arguments...); },
            {}, {}};
}

// The shapes timed, as a host declares them. The register convention pushes
// two doubles in the order declared, value first.
using reg_i_int = int32_t(PLOKVAR_REGISTER *)(int32_t);
using reg_ii_int = int32_t(PLOKVAR_REGISTER *)(int32_t, int32_t);
using reg_i_real = double(PLOKVAR_REGISTER *)(int32_t);
using reg_id_real = double(PLOKVAR_REGISTER *)(int32_t, double);
using reg_d_real = double(PLOKVAR_REGISTER *)(double);
using reg_dd_real = double(PLOKVAR_REGISTER *)(double value, double index);
using reg_none_text = const char *(PLOKVAR_REGISTER *)();
using reg_i_text = const char *(PLOKVAR_REGISTER *)(int32_t);
using reg_d_text = const char *(PLOKVAR_REGISTER *)(double);
using reg_i_real_ptr = double *(PLOKVAR_REGISTER *)(int32_t);
using reg_ip_real_ptr = double *(PLOKVAR_REGISTER *)(int32_t, const double *);
using std_i_int = int32_t(PLOKVAR_STDCALL *)(int32_t);
using std_ii_int = int32_t(PLOKVAR_STDCALL *)(int32_t, int32_t);
using std_i_real = double(PLOKVAR_STDCALL *)(int32_t);
using std_id_real = double(PLOKVAR_STDCALL *)(int32_t, double);
using std_d_real = double(PLOKVAR_STDCALL *)(double);
using std_dd_real = double(PLOKVAR_STDCALL *)(double, double);
using std_i_single = float(PLOKVAR_STDCALL *)(int32_t);
using std_if_single = float(PLOKVAR_STDCALL *)(int32_t, float);
using std_i_text = const char *(PLOKVAR_STDCALL *)(int32_t);
using std_i_real_ptr = double *(PLOKVAR_STDCALL *)(int32_t);
using std_i_single_ptr = float *(PLOKVAR_STDCALL *)(int32_t);
using cdecl_i_int = int32_t(PLOKVAR_CDECL *)(int32_t);
using cdecl_ii_int = int32_t(PLOKVAR_CDECL *)(int32_t, int32_t);
using cdecl_i_real = double(PLOKVAR_CDECL *)(int32_t);
using cdecl_id_real = double(PLOKVAR_CDECL *)(int32_t, double);
using cdecl_d_real = double(PLOKVAR_CDECL *)(double);
using cdecl_dd_real = double(PLOKVAR_CDECL *)(double, double);
using cdecl_none_single = float(PLOKVAR_CDECL *)();
using cdecl_i_single = float(PLOKVAR_CDECL *)(int32_t);
using cdecl_if_single = float(PLOKVAR_CDECL *)(int32_t, float);
using cdecl_i_text = const char *(PLOKVAR_CDECL *)(int32_t);
using cdecl_i_single_ptr = float *(PLOKVAR_CDECL *)(int32_t);

const double written_value = 2.5;

std::vector<bench_row> bench_rows() {
    using t = target;
    const double *value = &written_value;
    return {
        // Index 6 and 5 name no device and no clock: only the module's own work.
        row<reg_i_int>("register", "rsb(6)", "rsb", "floor_reg_i_int", t::floor_1_5, 6),
        row<reg_i_int>("register", "eb(1)", "eb", "floor_reg_i_int", t::floor_1_5, 1),
        row<reg_ii_int>("register", "sa(0, 1)", "sa", "floor_reg_ii_int", t::floor_1_5, 0, 1),
        row<reg_i_real>("register", "rsad(0)", "rsad", "floor_reg_i_real", t::floor_1_5, 0),
        row<reg_id_real>("register", "sad(0, 2.5)", "sad", "floor_reg_id_real", t::floor_1_5, 0, 2.5),
        row<std_i_int>("stdcall", "stdrsb(6)", "stdrsb", "floor_std_i_int", t::floor_1_5, 6),
        row<std_ii_int>("stdcall", "stdsa(0, 1)", "stdsa", "floor_std_ii_int", t::floor_1_5, 0, 1),
        row<std_i_real>("stdcall", "stdrsad(0)", "stdrsad", "floor_std_i_real", t::floor_1_5, 0),
        row<std_id_real>("stdcall", "stdsad(0, 2.5)", "stdsad", "floor_std_id_real", t::floor_1_5, 0, 2.5),
        row<cdecl_i_int>("cdecl", "crsb(6)", "crsb", "floor_cdecl_i_int", t::floor_1_5, 6),
        row<cdecl_ii_int>("cdecl", "csa(0, 1)", "csa", "floor_cdecl_ii_int", t::floor_1_5, 0, 1),
        row<cdecl_i_real>("cdecl", "crsad(0)", "crsad", "floor_cdecl_i_real", t::floor_1_5, 0),
        row<cdecl_id_real>("cdecl", "csad(0, 2.5)", "csad", "floor_cdecl_id_real", t::floor_1_5, 0, 2.5),
        row<reg_d_real>("double", "rsbdouble(6.0)", "rsbdouble", "floor_reg_d_real", t::floor_1_5, 6.0),
        row<std_d_real>("double", "stdrsbdouble(6.0)", "stdrsbdouble", "floor_std_d_real", t::floor_1_5, 6.0),
        row<cdecl_d_real>("double", "crsbdouble(6.0)", "crsbdouble", "floor_cdecl_d_real", t::floor_1_5, 6.0),
        row<reg_d_real>("double", "rsadouble(0.0)", "rsadouble", "floor_reg_d_real", t::floor_1_5, 0.0),
        row<reg_dd_real>("double", "sadouble(0.0, 2.5)", "sadouble", "floor_reg_dd_real", t::floor_1_5, 2.5, 0.0),
        row<std_dd_real>("double", "stdsadouble(0.0, 2.5)", "stdsadouble", "floor_std_dd_real", t::floor_1_5, 0.0, 2.5),
        row<cdecl_dd_real>("double", "csadouble(0.0, 2.5)", "csadouble", "floor_cdecl_dd_real", t::floor_1_5, 0.0, 2.5),
        row<std_i_single>("single", "stdeas(0)", "stdeas", "floor_std_i_single", t::none, 0),
        row<cdecl_none_single>("single", "ceas()", "ceas", "floor_cdecl_none_single", t::none),
        row<std_i_single>("single", "stdrsas(0)", "stdrsas", "floor_std_i_single", t::none, 0),
        row<cdecl_i_single>("single", "crsas(0)", "crsas", "floor_cdecl_i_single", t::none, 0),
        row<std_if_single>("single", "stdsas(0, 2.5f)", "stdsas", "floor_std_if_single", t::none, 0, 2.5f),
        row<cdecl_if_single>("single", "csas(0, 2.5f)", "csas", "floor_cdecl_if_single", t::none, 0, 2.5f),
        row<reg_i_real_ptr>("address", "pead(5)", "pead", "floor_reg_i_real_ptr", t::floor_3, 5),
        row<reg_ip_real_ptr>("address", "psad(0, &2.5)", "psad", "floor_reg_ip_real_ptr", t::floor_3, 0, value),
        row<std_i_real_ptr>("address", "pstdead(5)", "pstdead", "floor_std_i_real_ptr", t::floor_3, 5),
        row<std_i_single_ptr>("address", "pstdeas(5)", "pstdeas", "floor_std_i_single_ptr", t::floor_3, 5),
        row<cdecl_i_single_ptr>("address", "pceas(5)", "pceas", "floor_cdecl_i_single_ptr", t::floor_3, 5),
        row<reg_i_text>("names", "nsb(2)", "nsb", "floor_reg_i_text", t::floor_1_5, 2),
        row<std_i_text>("names", "stdnsb(2)", "stdnsb", "floor_std_i_text", t::floor_1_5, 2),
        row<cdecl_i_text>("names", "cnsb(2)", "cnsb", "floor_cdecl_i_text", t::floor_1_5, 2),
        row<reg_d_text>("names", "nsbdouble(2.0)", "nsbdouble", "floor_reg_d_text", t::floor_1_5, 2.0),
        row<reg_none_text>("names", "titre()", "titre", "floor_reg_none_text", t::floor_1_5),
        row<reg_i_int>("clock", "ea(0)", "ea", "floor_reg_i_int", t::clock_1_2, 0),
        row<reg_i_real>("clock", "ead(0)", "ead", "floor_reg_i_real", t::clock_1_2, 0),
        row<reg_i_real>("clock", "ead(1)", "ead", "floor_reg_i_real", t::clock_1_2, 1),
        row<std_i_real>("clock", "stdead(1)", "stdead", "floor_std_i_real", t::clock_1_2, 1),
        row<reg_d_real>("clock", "eadouble(1.0)", "eadouble", "floor_reg_d_real", t::clock_1_2, 1.0),
        row<reg_i_real_ptr>("clock", "pead(1)", "pead", "floor_reg_i_real_ptr", t::clock_1_2, 1),
        row<reg_ii_int>("sb, no device", "sb(6, 1)", "sb", "floor_reg_ii_int", t::floor_1_5, 6, 1),
        row<std_ii_int>("sb, no device", "stdsb(6, 1)", "stdsb", "floor_std_ii_int", t::floor_1_5, 6, 1),
        row<cdecl_ii_int>("sb, no device", "csb(6, 1)", "csb", "floor_cdecl_ii_int", t::floor_1_5, 6, 1),
        row<reg_dd_real>("sb, no device", "sbdouble(6.0, 1.0)", "sbdouble", "floor_reg_dd_real", t::floor_1_5, 1.0, 6.0),
    };
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double host_clock_read(int iterations) {
    SYSTEMTIME now;
    return nanoseconds_per_call([](SYSTEMTIME *t) { GetLocalTime(t); return t->wMilliseconds; }, iterations, &now);
}

std::string directory_of_this_program() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

// The module's file as it lies on disk: its size and what it imports.
void print_module_file(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("%s: cannot open\n", path.c_str());
        return;
    }
    std::vector<BYTE> image(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &got, nullptr);
    CloseHandle(file);
    std::printf("plokvar.dll: %lu bytes\n", static_cast<unsigned long>(image.size()));

    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data());
    const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS32 *>(image.data() + dos->e_lfanew);
    const auto *sections = IMAGE_FIRST_SECTION(nt);
    auto at = [&](DWORD rva) -> const BYTE * {
        for (WORD n = 0; n < nt->FileHeader.NumberOfSections; ++n) {
            const auto &s = sections[n];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return image.data() + s.PointerToRawData + (rva - s.VirtualAddress);
        }
        return nullptr;
    };
    const DWORD imports_rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    const auto *import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(at(imports_rva));
    for (; import && import->Name; ++import) {
        std::printf("  imports from %s:", reinterpret_cast<const char *>(at(import->Name)));
        const DWORD names = import->OriginalFirstThunk ? import->OriginalFirstThunk : import->FirstThunk;
        for (const auto *thunk = reinterpret_cast<const IMAGE_THUNK_DATA32 *>(at(names)); thunk && thunk->u1.AddressOfData;
             ++thunk) {
            if (IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal))
                std::printf(" #%lu", static_cast<unsigned long>(IMAGE_ORDINAL32(thunk->u1.Ordinal)));
            else
                std::printf(" %s", reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(at(thunk->u1.AddressOfData))->Name);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char **argv) {
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    counter_frequency = static_cast<double>(frequency.QuadPart);

    const std::string directory = directory_of_this_program();
    module = LoadLibraryA((directory + "plokvar.dll").c_str());
    floor_module = LoadLibraryA((directory + "bench-floor.dll").c_str());
    if (!module || !floor_module) {
        std::fprintf(stderr, "plokvar.dll and bench-floor.dll must lie beside plokvar-bench.exe\n");
        return 2;
    }
    print_module_file(directory + "plokvar.dll");

    std::vector<bench_row> rows = bench_rows();
    // The first pass translates and caches the code under an emulator and
    // warms the caches on hardware; it is not counted.
    const int warm_up = std::max(1, iterations / 10);
    host_clock_read(warm_up);
    for (auto &r : rows) {
        r.module_loop(warm_up);
        r.floor_loop(warm_up);
    }
    std::vector<double> clock_times;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        clock_times.push_back(host_clock_read(iterations));
        for (auto &r : rows) {
            r.floor_times.push_back(r.floor_loop(iterations));
            r.module_times.push_back(r.module_loop(iterations));
        }
    }
    const double host_clock = median(clock_times);

    std::printf("\n%d calls in a row, median of %d repetitions; floor: an empty export of the same shape "
                "in bench-floor.dll\n", iterations, repetitions);
    std::printf("host calling GetLocalTime itself: %.1f ns\n\n", host_clock);
    std::printf("%-14s %-22s %9s %9s %7s  %-24s %s\n", "family", "call", "ns/call", "floor ns", "xfloor", "target",
                "met");
    int targets = 0, met = 0;
    for (const auto &r : rows) {
        const double ns = median(r.module_times), floor_ns = median(r.floor_times);
        const double ratio = ns / floor_ns;
        char goal[48] = "-";
        bool reached = true;
        switch (r.goal) {
        case target::none: break;
        case target::floor_1_5:
            std::snprintf(goal, sizeof goal, "<= 1.5 x floor");
            reached = ratio <= 1.5;
            break;
        case target::floor_3:
            std::snprintf(goal, sizeof goal, "<= 3 x floor");
            reached = ratio <= 3.0;
            break;
        case target::clock_1_2:
            std::snprintf(goal, sizeof goal, "<= 1.2 x GetLocalTime: %.2f", ns / host_clock);
            reached = ns <= 1.2 * host_clock;
            break;
        }
        if (r.goal != target::none) {
            ++targets;
            met += reached;
        }
        std::printf("%-14s %-22s %9.1f %9.1f %7.2f  %-24s %s\n", r.family, r.call.c_str(), ns, floor_ns, ratio, goal,
                    r.goal == target::none ? "" : reached ? "yes" : "NO");
    }
    std::printf("\ntargets met: %d of %d\n", met, targets);
    return 0;
}
