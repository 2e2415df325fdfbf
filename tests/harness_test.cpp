// The convention-checking thunk itself: each kind of breach it must catch.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "host.h"

using host::convention;
using host::result_kind;

// Functions that break one rule each, as a faulty export would.
extern "C" {
void harness_clobbers_ebx();
void harness_clobbers_ebp();
void harness_changes_control_word();
void harness_leaves_two_reals();
void harness_pops_four();
}
__asm__(R"(
    .text
_harness_clobbers_ebx:      movl $0, %ebx
                            ret
_harness_clobbers_ebp:      movl $0, %ebp
                            ret
_harness_changes_control_word:
                            subl $4, %esp
                            fnstcw (%esp)
                            xorw $0x0C00, (%esp)
                            fldcw (%esp)
                            addl $4, %esp
                            ret
_harness_leaves_two_reals:  fld1
                            fldz
                            ret
_harness_pops_four:         ret $4
)");

namespace {

const host::export_row no_argument_int = {0, "fixture", convention::cdecl_, "none", result_kind::int_, "base"};
const host::export_row no_argument_real = {0, "fixture", convention::cdecl_, "none", result_kind::real, "base"};
const host::export_row one_int_stdcall = {0, "fixture", convention::std, "i", result_kind::int_, "base"};
const host::export_row one_int_cdecl = {0, "fixture", convention::cdecl_, "i", result_kind::int_, "base"};

}  // namespace

TEST(Harness, CatchesClobberedCalleeSavedRegisters) {
    EXPECT_NONFATAL_FAILURE(host::call_function(reinterpret_cast<void *>(harness_clobbers_ebx), no_argument_int, {}),
                            "EBX not preserved");
    EXPECT_NONFATAL_FAILURE(host::call_function(reinterpret_cast<void *>(harness_clobbers_ebp), no_argument_int, {}),
                            "EBP not preserved");
}

TEST(Harness, CatchesAChangedControlWord) {
    const uint16_t before = host::control_word();
    EXPECT_NONFATAL_FAILURE(
        host::call_function(reinterpret_cast<void *>(harness_changes_control_word), no_argument_int, {}),
        "control word changed");
    host::set_control_word(before);
}

TEST(Harness, CatchesAWrongX87Depth) {
    EXPECT_NONFATAL_FAILURE(host::call_function(reinterpret_cast<void *>(harness_leaves_two_reals), no_argument_real, {}),
                            "x87 register stack depth");
    // The thunk empties what was left, so the next call starts clean.
    EXPECT_NONFATAL_FAILURE(host::call_function(reinterpret_cast<void *>(harness_leaves_two_reals), no_argument_int, {}),
                            "x87 register stack depth");
}

TEST(Harness, CatchesWrongStackCleanup) {
    EXPECT_NONFATAL_FAILURE(host::call_function(reinterpret_cast<void *>(harness_pops_four), one_int_cdecl, {host::i(1)}),
                            "bytes removed from the stack");
    const auto cea = GetProcAddress(host::module(), "cea");
    EXPECT_NONFATAL_FAILURE(host::call_function(reinterpret_cast<void *>(cea), one_int_stdcall, {host::i(0)}),
                            "bytes removed from the stack");
}

TEST(Harness, RegisterConventionPushesStackArgumentsInDeclaredOrder) {
    // sadouble's row says register, (index, value): the value must reach the
    // module at +4 and the index at +12.
    EXPECT_EQ(host::call("sadouble", {host::d(0.0), host::d(2.5)}).as_real(), 2.5);
    EXPECT_EQ(host::call("rsad", {host::i(0)}).as_real(), 2.5);
    EXPECT_EQ(host::call("sadouble", {host::d(1.0), host::d(0.0)}).as_real(), -777.0);
}
