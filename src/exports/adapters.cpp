// The adapters between each export's convention and argument form and the
// base operation it calls. The direct and double forms are instantiated from
// the export table; the single, address and dummy-argument forms, each with a
// shape of its own, are written out below.
#include <type_traits>

#include "exports.h"
#include "result_cells.h"
#include "round_index.h"

namespace {

// A result as the host receives it: reals stored to a double and reloaded.
template <typename Result>
Result deliver(Result result) {
    if constexpr (std::is_same_v<Result, double>) return as_double(result);
    else return result;
}

// A single rounded under the calling thread's rounding mode.
float as_single(double value) {
    volatile float stored = static_cast<float>(value);
    return stored;
}

// What a double form gives when its index or value names no int32.
template <typename Result>
Result no_channel() {
    if constexpr (std::is_same_v<Result, text>) return empty_text;
    else return channel_error_real;
}

// A double form's result: int32 results converted exactly to a double.
template <typename Result>
auto double_result(Result result) {
    if constexpr (std::is_same_v<Result, text>) return result;
    else return as_double(static_cast<double>(result));
}

template <auto operation>
auto double_form(const double &index) {
    using Result = decltype(double_result(operation(0)));
    int32_t channel;
    if (!round_index(index, channel)) return no_channel<Result>();
    return double_result(operation(channel));
}

// sad takes the value as it comes.
double call_with_value(double(PLOKVAR_REGISTER *operation)(int32_t, double), int32_t channel, const double &value) {
    return as_double(operation(channel, value));
}

// sb takes an int32 value, rounded like the index.
double call_with_value(int32_t(PLOKVAR_REGISTER *operation)(int32_t, int32_t), int32_t channel, const double &value) {
    int32_t rounded_value;
    if (!round_index(value, rounded_value)) return channel_error_real;
    return operation(channel, rounded_value);
}

template <auto operation>
double double_form(const double &index, const double &value) {
    int32_t channel;
    if (!round_index(index, channel)) return channel_error_real;
    return call_with_value(operation, channel, value);
}

}  // namespace

#define PLOKVAR_FORM_base(name, convention, arguments, result, target)
#define PLOKVAR_FORM_single(name, convention, arguments, result, target)
#define PLOKVAR_FORM_address(name, convention, arguments, result, target)
#define PLOKVAR_FORM_dummy(name, convention, arguments, result, target)

#define PLOKVAR_FORM_direct(name, convention, arguments, result, target) \
    PLOKVAR_DIRECT_##arguments(name, PLOKVAR_CONVENTION_##convention, PLOKVAR_RESULT_##result, target)
#define PLOKVAR_DIRECT_none(name, convention, result, target) \
    result convention name() { return deliver(target()); }
#define PLOKVAR_DIRECT_i(name, convention, result, target) \
    result convention name(int32_t index) { return deliver(target(index)); }
#define PLOKVAR_DIRECT_ii(name, convention, result, target) \
    result convention name(int32_t index, int32_t value) { return deliver(target(index, value)); }
#define PLOKVAR_DIRECT_id(name, convention, result, target) \
    result convention name(int32_t index, double value) { return deliver(target(index, value)); }

#define PLOKVAR_FORM_double(name, convention, arguments, result, target) \
    PLOKVAR_DOUBLE_##arguments##_##convention(name, PLOKVAR_RESULT_##result, target)
#define PLOKVAR_DOUBLE_d_reg(name, result, target) \
    result PLOKVAR_REGISTER name(double index) { return double_form<target>(index); }
#define PLOKVAR_DOUBLE_d_std(name, result, target) \
    result PLOKVAR_STDCALL name(double index) { return double_form<target>(index); }
#define PLOKVAR_DOUBLE_d_cdecl(name, result, target) \
    result PLOKVAR_CDECL name(double index) { return double_form<target>(index); }
#define PLOKVAR_DOUBLE_dd_reg(name, result, target) \
    result PLOKVAR_REGISTER name(double value, double index) { return double_form<target>(index, value); }
#define PLOKVAR_DOUBLE_dd_std(name, result, target) \
    result PLOKVAR_STDCALL name(double index, double value) { return double_form<target>(index, value); }
#define PLOKVAR_DOUBLE_dd_cdecl(name, result, target) \
    result PLOKVAR_CDECL name(double index, double value) { return double_form<target>(index, value); }

#define EXPORT(ordinal, name, convention, arguments, result, form, target) \
    PLOKVAR_FORM_##form(name, convention, arguments, result, target)
#include "export_table.h"
#undef EXPORT

// Single-precision results.

namespace {
constexpr float single_constant = 77.77f;
}

float PLOKVAR_STDCALL stdeas(int32_t) { return single_constant; }
float PLOKVAR_CDECL ceas() { return single_constant; }
float PLOKVAR_STDCALL stdsas(int32_t index, float value) { return as_single(stdsad(index, value)); }
float PLOKVAR_CDECL csas(int32_t index, float value) { return as_single(csad(index, value)); }
float PLOKVAR_STDCALL stdrsas(int32_t index) { return as_single(stdrsad(index)); }
float PLOKVAR_CDECL crsas(int32_t index) { return as_single(crsad(index)); }

// Results by address, in the calling thread's cells.

double *PLOKVAR_REGISTER pead(int32_t index) {
    double &cell = thread_result_cells().real;
    cell = ead(index);
    return &cell;
}

double *PLOKVAR_REGISTER psad(int32_t index, const double *value) {
    double &cell = thread_result_cells().real;
    // A null address holds no value: nothing to write.
    cell = value ? sad(index, *value) : channel_error_real;
    return &cell;
}

double *PLOKVAR_STDCALL pstdead(int32_t index) { return pead(index); }

float *PLOKVAR_STDCALL pstdeas(int32_t index) {
    float &cell = thread_result_cells().single;
    cell = as_single(stdead(index));
    return &cell;
}

float *PLOKVAR_CDECL pceas(int32_t index) {
    float &cell = thread_result_cells().single;
    cell = as_single(cead(index));
    return &cell;
}

// Title and description for hosts that always pass an argument.

text PLOKVAR_STDCALL titreparam(int32_t) { return titre(); }
text PLOKVAR_STDCALL detailparam(int32_t) { return detail(); }
text PLOKVAR_REGISTER titreparamdouble(double) { return titre(); }
text PLOKVAR_REGISTER detailparamdouble(double) { return detail(); }
