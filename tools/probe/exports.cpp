// Every export of the module with a caller of its exact type, made from the
// module's export table, so that no export can be missing or mistyped.
#include <cstring>

#include "exports/export_signatures.h"
#include "probe.h"

// The argument slots passed for each argument code. The two-double register
// form takes the value first (see PLOKVAR_REGISTER); every other form takes
// the index first.
#define PROBE_ARGUMENTS_none_reg(v) ()
#define PROBE_ARGUMENTS_none_std(v) ()
#define PROBE_ARGUMENTS_none_cdecl(v) ()
#define PROBE_ARGUMENTS_i_reg(v) (v.ints[0])
#define PROBE_ARGUMENTS_i_std(v) (v.ints[0])
#define PROBE_ARGUMENTS_i_cdecl(v) (v.ints[0])
#define PROBE_ARGUMENTS_ii_reg(v) (v.ints[0], v.ints[1])
#define PROBE_ARGUMENTS_ii_std(v) (v.ints[0], v.ints[1])
#define PROBE_ARGUMENTS_ii_cdecl(v) (v.ints[0], v.ints[1])
#define PROBE_ARGUMENTS_id_reg(v) (v.ints[0], v.reals[1])
#define PROBE_ARGUMENTS_id_std(v) (v.ints[0], v.reals[1])
#define PROBE_ARGUMENTS_id_cdecl(v) (v.ints[0], v.reals[1])
#define PROBE_ARGUMENTS_ip_reg(v) (v.ints[0], &v.reals[1])
#define PROBE_ARGUMENTS_if_std(v) (v.ints[0], v.singles[1])
#define PROBE_ARGUMENTS_if_cdecl(v) (v.ints[0], v.singles[1])
#define PROBE_ARGUMENTS_d_reg(v) (v.reals[0])
#define PROBE_ARGUMENTS_d_std(v) (v.reals[0])
#define PROBE_ARGUMENTS_d_cdecl(v) (v.reals[0])
#define PROBE_ARGUMENTS_dd_reg(v) (v.reals[1], v.reals[0])
#define PROBE_ARGUMENTS_dd_std(v) (v.reals[0], v.reals[1])
#define PROBE_ARGUMENTS_dd_cdecl(v) (v.reals[0], v.reals[1])

namespace probe {

namespace {

// A result by its C++ type; a cell is read at once.
result from(int32_t value) { return {result_type::int32, value, 0, 0, nullptr}; }
result from(double value) { return {result_type::real, 0, value, 0, nullptr}; }
result from(float value) { return {result_type::single, 0, 0, value, nullptr}; }
result from(const char *value) { return {result_type::text, 0, 0, 0, value}; }
result from(const double *cell) { return {result_type::real_address, 0, *cell, 0, nullptr}; }
result from(const float *cell) { return {result_type::single_address, 0, 0, *cell, nullptr}; }

// The cast goes through void (*)(), which GCC lets match any function type.
template <typename Function>
Function typed(FARPROC function) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(function));
}

constexpr export_row rows[] = {
#define EXPORT(ordinal, name, convention, arguments, result_code, form, target)                   \
    {ordinal, #name, #convention, #arguments, #result_code, #form,                                 \
     [](FARPROC function, [[maybe_unused]] const argument_values &values) {                       \
         using signature = PLOKVAR_RESULT_##result_code(PLOKVAR_CONVENTION_##convention *)        \
             PLOKVAR_ARGUMENTS_##arguments##_##convention;                                        \
         return from(typed<signature>(function) PROBE_ARGUMENTS_##arguments##_##convention(values)); \
     }},
#include "exports/export_table.h"
#undef EXPORT
};

}  // namespace

std::span<const export_row> export_rows() { return rows; }

const export_row *find_export(std::string_view name) {
    for (const export_row &row : rows)
        if (name == row.name) return &row;
    return nullptr;
}

int argument_count(const export_row &row) {
    return std::strcmp(row.arguments, "none") == 0 ? 0 : static_cast<int>(std::strlen(row.arguments));
}

const char *argument_role(const export_row &row, int position) {
    if (std::strcmp(row.form, "dummy") == 0) return "ignored";
    return position == 0 ? "index" : "value";
}

const char *argument_type(const export_row &row, int position) {
    switch (row.arguments[position]) {
    case 'i': return "int32";
    case 'd': return "double";
    case 'p': return "double, passed by address";
    case 'f': return "single";
    }
    return "?";
}

}  // namespace probe
