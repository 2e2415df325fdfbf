#include "host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

extern "C" {
struct thunk_frame {
    void *function;            // 0
    uint32_t eax, edx, ecx;    // 4, 8, 12
    uint32_t stack_words;      // 16
    const uint32_t *stack;     // 20: word 0 lies at +4 for the callee
    uint32_t out_eax;          // 24
    uint32_t out_edx;          // 28
    uint32_t popped;           // 32
    uint32_t ebx, esi, edi, ebp;  // 36..48
    uint16_t cw_before;        // 52
    uint16_t cw_after;         // 54
    uint16_t sw_before;        // 56
    uint16_t sw_after;         // 58
    uint32_t x87_depth;        // 60
    unsigned char st0[10];     // 64: 80-bit ST(0)
};
void plokvar_call_thunk(thunk_frame *frame);
}
static_assert(offsetof(thunk_frame, stack) == 20);
static_assert(offsetof(thunk_frame, out_eax) == 24);
static_assert(offsetof(thunk_frame, cw_before) == 52);
static_assert(offsetof(thunk_frame, x87_depth) == 60);
static_assert(offsetof(thunk_frame, st0) == 64);

namespace host {

namespace {

constexpr uint32_t marker_ebx = 0xB1B1B1B1, marker_esi = 0x51515151, marker_edi = 0xD1D1D1D1,
                   marker_ebp = 0xBEBEBEBE;

constexpr convention convention_reg = convention::reg, convention_std = convention::std,
                     convention_cdecl = convention::cdecl_;
constexpr result_kind result_int = result_kind::int_, result_real = result_kind::real,
                      result_text = result_kind::text, result_single = result_kind::single,
                      result_real_ptr = result_kind::real_ptr, result_single_ptr = result_kind::single_ptr;

const std::vector<export_row> table_rows = {
#define EXPORT(ordinal, name, convention, arguments, result, form, target) \
    {ordinal, #name, convention_##convention, #arguments, result_##result, #form},
#include "exports/export_table.h"
#undef EXPORT
};

bool is_stack_argument(convention calling, argument::kind type) {
    return calling != convention::reg || type == argument::real || type == argument::single;
}

void append_words(std::vector<uint32_t> &words, const argument &a) {
    if (a.type == argument::real) {
        uint32_t halves[2];
        std::memcpy(halves, &a.real_value, sizeof halves);
        words.push_back(halves[0]);
        words.push_back(halves[1]);
    } else if (a.type == argument::single) {
        uint32_t bits;
        std::memcpy(&bits, &a.single_value, sizeof bits);
        words.push_back(bits);
    } else {
        words.push_back(a.word);
    }
}

}  // namespace

const std::vector<export_row> &export_rows() { return table_rows; }

const export_row &row(std::string_view name) {
    for (const auto &r : table_rows)
        if (name == r.name) return r;
    throw std::invalid_argument("no such export in the table: " + std::string(name));
}

argument i(int32_t value) { return {argument::int32, static_cast<uint32_t>(value), 0, 0}; }
argument d(double value) { return {argument::real, 0, value, 0}; }
argument f(float value) { return {argument::single, 0, 0, value}; }
argument p(const void *address) { return {argument::address, reinterpret_cast<uint32_t>(address), 0, 0}; }

std::string module_path() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    directory.erase(directory.find_last_of("\\/") + 1);
    return directory + "plokvar.dll";
}

HMODULE module() {
    static HMODULE loaded = [] {
        HMODULE m = LoadLibraryA(module_path().c_str());
        if (!m) throw std::runtime_error("cannot load " + module_path());
        return m;
    }();
    return loaded;
}

uint16_t control_word() {
    uint16_t word;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

void set_control_word(uint16_t word) { __asm__ volatile("fldcw %0" : : "m"(word)); }

outcome call(std::string_view name, std::initializer_list<argument> arguments) {
    return call_in(module(), name, arguments);
}

outcome call_in(HMODULE module, std::string_view name, std::initializer_list<argument> arguments) {
    return call_in(module, name, std::span<const argument>(arguments.begin(), arguments.size()));
}

outcome call_function(const void *function, const export_row &r, std::initializer_list<argument> arguments) {
    return call_function(function, r, std::span<const argument>(arguments.begin(), arguments.size()));
}

outcome call_in(HMODULE module, std::string_view name, std::span<const argument> arguments) {
    const export_row &r = row(name);
    const std::string export_name(name);
    FARPROC function = GetProcAddress(module, export_name.c_str());
    if (!function) {
        ADD_FAILURE() << export_name << " does not resolve";
        return {};
    }
    return call_function(reinterpret_cast<const void *>(function), r, arguments);
}

outcome call_function(const void *function, const export_row &r, std::span<const argument> arguments) {
    const std::string export_name(r.name);
    // Register convention: int32 and addresses in EAX, EDX, ECX; stack
    // arguments pushed in the order declared, so the last one lies lowest.
    // stdcall and cdecl: the first-declared argument lowest.
    // Pointers, not copies: a copy may pass the double through the x87,
    // which quietens a signalling NaN before the callee sees it.
    std::vector<const argument *> on_stack;
    uint32_t registers[3] = {0xEAEAEAEA, 0xEDEDEDED, 0xECECECEC};
    int used_registers = 0;
    for (const argument &a : arguments) {
        if (is_stack_argument(r.calling, a.type)) on_stack.push_back(&a);
        else registers[used_registers++] = a.word;
    }
    if (r.calling == convention::reg) std::reverse(on_stack.begin(), on_stack.end());
    std::vector<uint32_t> words;
    for (const argument *a : on_stack) append_words(words, *a);

    thunk_frame frame{};
    frame.function = const_cast<void *>(function);
    frame.eax = registers[0];
    frame.edx = registers[1];
    frame.ecx = registers[2];
    frame.stack_words = static_cast<uint32_t>(words.size());
    frame.stack = words.data();
    plokvar_call_thunk(&frame);

    const uint32_t expected_pop = r.calling == convention::cdecl_ ? 0 : 4 * frame.stack_words;
    EXPECT_EQ(frame.popped, expected_pop) << export_name << ": bytes removed from the stack";
    EXPECT_EQ(frame.ebx, marker_ebx) << export_name << ": EBX not preserved";
    EXPECT_EQ(frame.esi, marker_esi) << export_name << ": ESI not preserved";
    EXPECT_EQ(frame.edi, marker_edi) << export_name << ": EDI not preserved";
    EXPECT_EQ(frame.ebp, marker_ebp) << export_name << ": EBP not preserved";
    EXPECT_EQ(frame.cw_after, frame.cw_before) << export_name << ": control word changed";
    const bool real_result = r.result == result_kind::real || r.result == result_kind::single;
    EXPECT_EQ(frame.x87_depth, real_result ? 1u : 0u) << export_name << ": x87 register stack depth";

    outcome result{};
    result.eax = frame.out_eax;
    std::memcpy(&result.st0, frame.st0, sizeof frame.st0);
    return result;
}

module_copy::module_copy() {
    char directory[MAX_PATH], copy[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    if (!GetTempFileNameA(directory, "plk", 0, copy)) throw std::runtime_error("cannot name a copy of the module");
    path_ = copy;
    if (!CopyFileA(module_path().c_str(), copy, FALSE)) throw std::runtime_error("cannot copy the module to " + path_);
}

module_copy::~module_copy() { DeleteFileA(path_.c_str()); }

loaded_copy::loaded_copy() : handle(LoadLibraryA(file.path().c_str())) {
    if (!handle) throw std::runtime_error("cannot load the copy " + file.path());
}

loaded_copy::~loaded_copy() { FreeLibrary(handle); }

void *replace_import(HMODULE module, const char *dll, const char *function, void *replacement) {
    auto *base = reinterpret_cast<BYTE *>(module);
    auto *dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const auto &directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + directory.VirtualAddress);
         import->Name; ++import) {
        if (_stricmp(reinterpret_cast<const char *>(base + import->Name), dll) != 0) continue;
        auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + import->OriginalFirstThunk);
        auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto *by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char *>(by_name->Name), function) != 0) continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            void *previous = reinterpret_cast<void *>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<DWORD>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return previous;
        }
    }
    throw std::invalid_argument(std::string("module does not import ") + function + " from " + dll);
}

}  // namespace host
