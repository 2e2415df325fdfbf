// The test host: loads the module as a host does, resolves exports by name and
// calls every one through a thunk that checks its calling convention.
#pragma once

#include <windows.h>

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class convention { reg, std, cdecl_ };
enum class result_kind { int_, real, text, single, real_ptr, single_ptr };

// One row of the module's export table, as the tests see it.
struct export_row {
    int ordinal;
    const char *name;
    convention calling;
    const char *arguments;  // "i", "dd", ... as in the table
    result_kind result;
    const char *form;
};

const std::vector<export_row> &export_rows();
const export_row &row(std::string_view name);

// An argument as the host passes it.
struct argument {
    enum kind { int32, real, single, address } type;
    uint32_t word;
    double real_value;
    float single_value;
};
argument i(int32_t value);
argument d(double value);
argument f(float value);
argument p(const void *address);

// What came back, after the convention checks have passed.
struct outcome {
    uint32_t eax;
    long double st0;  // exactly as the callee left it in ST(0)
    int32_t as_int() const { return static_cast<int32_t>(eax); }
    const char *as_text() const { return reinterpret_cast<const char *>(eax); }
    double as_real() const { return static_cast<double>(st0); }
    float as_single() const { return static_cast<float>(st0); }
    template <typename T>
    T *as_ptr() const { return reinterpret_cast<T *>(eax); }
};

// The module under test, loaded once per process from beside the test program.
HMODULE module();
std::string module_path();

// Calls an export through the checking thunk. Every check of the convention
// is a gtest failure naming the export: bytes removed from the stack, EBX,
// ESI, EDI, EBP kept, the control word unchanged, and the x87 register stack
// holding exactly one value for a real or single result, none otherwise.
outcome call(std::string_view name, std::initializer_list<argument> arguments);
outcome call_in(HMODULE module, std::string_view name, std::initializer_list<argument> arguments);
// With arguments made at run time.
outcome call_in(HMODULE module, std::string_view name, std::span<const argument> arguments);
// The same checks for any function, described by a row of the caller's choosing.
outcome call_function(const void *function, const export_row &row, std::initializer_list<argument> arguments);
outcome call_function(const void *function, const export_row &row, std::span<const argument> arguments);

// A copy of the module under another name: loading it gives a module of its
// own (a fresh record, its own import table) beside any other copy. The file
// is deleted when the copy goes out of scope.
class module_copy {
public:
    module_copy();
    ~module_copy();
    module_copy(const module_copy &) = delete;
    module_copy &operator=(const module_copy &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// A copy loaded for the scope.
class loaded_copy {
    module_copy file;  // first: the handle is loaded from it

public:
    loaded_copy();
    ~loaded_copy();
    loaded_copy(const loaded_copy &) = delete;
    loaded_copy &operator=(const loaded_copy &) = delete;
    HMODULE handle = nullptr;
};

// A value's bits, and back.
inline uint64_t bits_of(double value) { return std::bit_cast<uint64_t>(value); }
inline uint32_t bits_of(float value) { return std::bit_cast<uint32_t>(value); }
inline double double_from_bits(uint64_t bits) { return std::bit_cast<double>(bits); }

// The x87 control word of this thread.
uint16_t control_word();
void set_control_word(uint16_t word);

// Control words the tests run under.
inline constexpr uint16_t cw_default = 0x027F;      // Windows: 53-bit, nearest, all masked
inline constexpr uint16_t cw_pascal = 0x1332;       // Delphi: invalid, zero-divide, overflow unmasked
inline constexpr uint16_t rounding_nearest = 0x0000;
inline constexpr uint16_t rounding_down = 0x0400;
inline constexpr uint16_t rounding_up = 0x0800;
inline constexpr uint16_t rounding_toward_zero = 0x0C00;

// Restores the control word when a test scope ends.
struct control_word_scope {
    explicit control_word_scope(uint16_t word) : saved(control_word()) { set_control_word(word); }
    ~control_word_scope() { set_control_word(saved); }
    uint16_t saved;
};

// Replaces a function the module imports, in its import address table;
// returns the previous entry.
void *replace_import(HMODULE module, const char *dll, const char *function, void *replacement);

// Restores an import address table entry when a test scope ends.
struct import_scope {
    import_scope(HMODULE module, const char *dll, const char *function, void *replacement)
        : module(module), dll(dll), function(function),
          original(replace_import(module, dll, function, replacement)) {}
    ~import_scope() { replace_import(module, dll, function, original); }
    HMODULE module;
    const char *dll;
    const char *function;
    void *original;
};

}  // namespace host
