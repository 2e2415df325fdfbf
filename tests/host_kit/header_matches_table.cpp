// Every row of the module's export table is declared by the public header
// with exactly the row's calling convention, result and argument types, as
// the compiler itself sees them: a drift between the two stops the build.
// Compiled by GCC in the build, and by Clang for MinGW and in MSVC mode.
#include "plokvar.h"

namespace {

template <typename A, typename B>
struct same {
    static const bool value = false;
};
template <typename A>
struct same<A, A> {
    static const bool value = true;
};

}  // namespace

// The conventions as the module defines them, spelled here independently of
// the header's macros.
#define EXPECTED_std __attribute__((stdcall))
#define EXPECTED_cdecl __attribute__((cdecl))
#define EXPECTED_reg __attribute__((regparm(3), stdcall))

#define EXPECTED_RESULT_int int32_t
#define EXPECTED_RESULT_real double
#define EXPECTED_RESULT_text const char *
#define EXPECTED_RESULT_single float
#define EXPECTED_RESULT_real_ptr double *
#define EXPECTED_RESULT_single_ptr float *

#define EXPECTED_ARGUMENTS_none ()
#define EXPECTED_ARGUMENTS_i (int32_t)
#define EXPECTED_ARGUMENTS_ii (int32_t, int32_t)
#define EXPECTED_ARGUMENTS_id (int32_t, double)
#define EXPECTED_ARGUMENTS_ip (int32_t, const double *)
#define EXPECTED_ARGUMENTS_if (int32_t, float)
#define EXPECTED_ARGUMENTS_d (double)
#define EXPECTED_ARGUMENTS_dd (double, double)

#define EXPECT_DECLARED(name, convention, arguments, result)                                       \
    typedef EXPECTED_RESULT_##result convention name##_in_table EXPECTED_ARGUMENTS_##arguments;   \
    static_assert(same<decltype(name), name##_in_table>::value,                                    \
                  #name " is not declared as its row of the export table says");

#define CHECK_std(name, arguments, result) EXPECT_DECLARED(name, EXPECTED_std, arguments, result)
#define CHECK_cdecl(name, arguments, result) EXPECT_DECLARED(name, EXPECTED_cdecl, arguments, result)
#define CHECK_reg(name, arguments, result) CHECK_reg_##arguments(name, result)

// Register exports with nothing in registers are declared for every
// compiler: in the register convention where the compiler has it, as stdcall
// (the same layout) where it has not.
#ifdef PLOKVAR_REGISTER
#define EXPECTED_reg_stack EXPECTED_reg
#define CHECK_reg_in_registers(name, arguments, result) EXPECT_DECLARED(name, EXPECTED_reg, arguments, result)
#else
#define EXPECTED_reg_stack EXPECTED_std
#define CHECK_reg_in_registers(name, arguments, result)
#endif
#define CHECK_reg_none(name, result) EXPECT_DECLARED(name, EXPECTED_reg_stack, none, result)
#define CHECK_reg_d(name, result) EXPECT_DECLARED(name, EXPECTED_reg_stack, d, result)
#define CHECK_reg_dd(name, result) EXPECT_DECLARED(name, EXPECTED_reg_stack, dd, result)
#define CHECK_reg_i(name, result) CHECK_reg_in_registers(name, i, result)
#define CHECK_reg_ii(name, result) CHECK_reg_in_registers(name, ii, result)
#define CHECK_reg_id(name, result) CHECK_reg_in_registers(name, id, result)
#define CHECK_reg_ip(name, result) CHECK_reg_in_registers(name, ip, result)

#define EXPORT(ordinal, name, convention, arguments, result, form, target) \
    CHECK_##convention(name, arguments, result)
#include "export_table.h"
#undef EXPORT
