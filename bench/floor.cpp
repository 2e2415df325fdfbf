// The benchmark's floor: exports that do nothing but give a result, one for
// each convention and argument shape the benchmark times, so that the cost of
// a call into the module can be set against the bare cost of reaching a DLL
// export and coming back. Built for the benchmark only, never shipped.
#include <windows.h>

#include <cstdint>

#include "exports/conventions.h"

#define FLOOR_EXPORT extern "C" __declspec(dllexport)

namespace {
double real_cell;
float single_cell;
constexpr const char *empty = "";
}  // namespace

// Register convention.
FLOOR_EXPORT int32_t PLOKVAR_REGISTER floor_reg_i_int(int32_t) { return 0; }
FLOOR_EXPORT int32_t PLOKVAR_REGISTER floor_reg_ii_int(int32_t, int32_t) { return 0; }
FLOOR_EXPORT double PLOKVAR_REGISTER floor_reg_i_real(int32_t) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_REGISTER floor_reg_id_real(int32_t, double) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_REGISTER floor_reg_d_real(double) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_REGISTER floor_reg_dd_real(double, double) { return 0.0; }
FLOOR_EXPORT const char *PLOKVAR_REGISTER floor_reg_none_text() { return empty; }
FLOOR_EXPORT const char *PLOKVAR_REGISTER floor_reg_i_text(int32_t) { return empty; }
FLOOR_EXPORT const char *PLOKVAR_REGISTER floor_reg_d_text(double) { return empty; }
FLOOR_EXPORT double *PLOKVAR_REGISTER floor_reg_i_real_ptr(int32_t) { return &real_cell; }
FLOOR_EXPORT double *PLOKVAR_REGISTER floor_reg_ip_real_ptr(int32_t, const double *) { return &real_cell; }

// stdcall.
FLOOR_EXPORT int32_t PLOKVAR_STDCALL floor_std_i_int(int32_t) { return 0; }
FLOOR_EXPORT int32_t PLOKVAR_STDCALL floor_std_ii_int(int32_t, int32_t) { return 0; }
FLOOR_EXPORT double PLOKVAR_STDCALL floor_std_i_real(int32_t) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_STDCALL floor_std_id_real(int32_t, double) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_STDCALL floor_std_d_real(double) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_STDCALL floor_std_dd_real(double, double) { return 0.0; }
FLOOR_EXPORT float PLOKVAR_STDCALL floor_std_i_single(int32_t) { return 0.0f; }
FLOOR_EXPORT float PLOKVAR_STDCALL floor_std_if_single(int32_t, float) { return 0.0f; }
FLOOR_EXPORT const char *PLOKVAR_STDCALL floor_std_i_text(int32_t) { return empty; }
FLOOR_EXPORT double *PLOKVAR_STDCALL floor_std_i_real_ptr(int32_t) { return &real_cell; }
FLOOR_EXPORT float *PLOKVAR_STDCALL floor_std_i_single_ptr(int32_t) { return &single_cell; }

// cdecl.
FLOOR_EXPORT int32_t PLOKVAR_CDECL floor_cdecl_i_int(int32_t) { return 0; }
FLOOR_EXPORT int32_t PLOKVAR_CDECL floor_cdecl_ii_int(int32_t, int32_t) { return 0; }
FLOOR_EXPORT double PLOKVAR_CDECL floor_cdecl_i_real(int32_t) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_CDECL floor_cdecl_id_real(int32_t, double) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_CDECL floor_cdecl_d_real(double) { return 0.0; }
FLOOR_EXPORT double PLOKVAR_CDECL floor_cdecl_dd_real(double, double) { return 0.0; }
FLOOR_EXPORT float PLOKVAR_CDECL floor_cdecl_none_single() { return 0.0f; }
FLOOR_EXPORT float PLOKVAR_CDECL floor_cdecl_i_single(int32_t) { return 0.0f; }
FLOOR_EXPORT float PLOKVAR_CDECL floor_cdecl_if_single(int32_t, float) { return 0.0f; }
FLOOR_EXPORT const char *PLOKVAR_CDECL floor_cdecl_i_text(int32_t) { return empty; }
FLOOR_EXPORT float *PLOKVAR_CDECL floor_cdecl_i_single_ptr(int32_t) { return &single_cell; }

// Like the module, no C runtime: nothing to start.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
