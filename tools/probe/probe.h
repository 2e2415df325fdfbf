// The probe: a console host that loads plokvar.dll as a host program does and
// calls its exports by name. This header joins the probe's pieces: the table
// of callable exports, number parsing and printing, and console output.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace probe {

// Arguments for one export, by position; each export reads the slots its
// argument code names ("id": ints[0] and reals[1]).
struct argument_values {
    int32_t ints[2];
    double reals[2];
    float singles[2];
};

enum class result_type { int32, real, text, single, real_address, single_address };

// What an export gave. A result by address is read at once: the cell belongs
// to the module and may change at the thread's next call.
struct result {
    result_type type;
    int32_t int32_value;
    double real_value;
    float single_value;
    const char *text_value;  // Windows-1252, owned by the module
};

// One export of the module, with a caller typed from its table row.
struct export_row {
    int ordinal;
    const char *name;
    const char *convention;  // reg, std or cdecl
    const char *arguments;   // none, or one letter per argument: i int32,
                             // d double, p double passed by address, f single
    const char *returns;     // int, real, text, single, real_ptr, single_ptr
    const char *form;        // base, direct, double, single, address, dummy
    result (*invoke)(FARPROC function, const argument_values &values);
};

std::span<const export_row> export_rows();
const export_row *find_export(std::string_view name);
// How many arguments a row takes, and the role and type of the one at a
// position: the index comes first and the value second in every form.
int argument_count(const export_row &row);
const char *argument_role(const export_row &row, int position);
const char *argument_type(const export_row &row, int position);

// Strict number parsing: the whole text is one number in range, or nothing.
bool parse_int32(std::string_view text, int32_t &value);
bool parse_real(std::string_view text, double &value);
bool parse_single(std::string_view text, float &value);

// The shortest text that reads back as the same value.
std::string format_real(double value);
std::string format_single(float value);
std::string format_result(const result &r);

// Text conversions; the module's texts are Windows-1252.
std::string utf8_from_cp1252(std::string_view bytes);
std::string utf8_from_wide(std::wstring_view text);
std::wstring wide_from_utf8(std::string_view text);
// Columns a text takes on a terminal: one per character.
size_t display_width(std::string_view utf8);

// Writes UTF-8 text to a standard handle: to a console as UTF-16 through
// WriteConsoleW, to a pipe or a file as UTF-8 with CR LF line ends.
void write_text(HANDLE handle, std::string_view utf8);

}  // namespace probe
