// The C++ signature of each export, by the codes of its row in the export
// table: PLOKVAR_RESULT_<result>, PLOKVAR_CONVENTION_<convention> and
// PLOKVAR_ARGUMENTS_<arguments>_<convention>. Shared by the module's own
// declarations and by programs that call every export generically.
#pragma once

#include <cstdint>

#include "conventions.h"

#define PLOKVAR_CONVENTION_reg PLOKVAR_REGISTER
#define PLOKVAR_CONVENTION_std PLOKVAR_STDCALL
#define PLOKVAR_CONVENTION_cdecl PLOKVAR_CDECL

#define PLOKVAR_RESULT_int int32_t
#define PLOKVAR_RESULT_real double
#define PLOKVAR_RESULT_text const char *
#define PLOKVAR_RESULT_single float
#define PLOKVAR_RESULT_real_ptr double *
#define PLOKVAR_RESULT_single_ptr float *

#define PLOKVAR_ARGUMENTS_none_reg ()
#define PLOKVAR_ARGUMENTS_none_std ()
#define PLOKVAR_ARGUMENTS_none_cdecl ()
#define PLOKVAR_ARGUMENTS_i_reg (int32_t index)
#define PLOKVAR_ARGUMENTS_i_std (int32_t index)
#define PLOKVAR_ARGUMENTS_i_cdecl (int32_t index)
#define PLOKVAR_ARGUMENTS_ii_reg (int32_t index, int32_t value)
#define PLOKVAR_ARGUMENTS_ii_std (int32_t index, int32_t value)
#define PLOKVAR_ARGUMENTS_ii_cdecl (int32_t index, int32_t value)
#define PLOKVAR_ARGUMENTS_id_reg (int32_t index, double value)
#define PLOKVAR_ARGUMENTS_id_std (int32_t index, double value)
#define PLOKVAR_ARGUMENTS_id_cdecl (int32_t index, double value)
#define PLOKVAR_ARGUMENTS_ip_reg (int32_t index, const double *value)
#define PLOKVAR_ARGUMENTS_if_std (int32_t index, float value)
#define PLOKVAR_ARGUMENTS_if_cdecl (int32_t index, float value)
#define PLOKVAR_ARGUMENTS_d_reg (double index)
#define PLOKVAR_ARGUMENTS_d_std (double index)
#define PLOKVAR_ARGUMENTS_d_cdecl (double index)
// Value first: see PLOKVAR_REGISTER.
#define PLOKVAR_ARGUMENTS_dd_reg (double value, double index)
#define PLOKVAR_ARGUMENTS_dd_std (double index, double value)
#define PLOKVAR_ARGUMENTS_dd_cdecl (double index, double value)
