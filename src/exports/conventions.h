// The three calling conventions of the module's exports.
#pragma once

// Register convention: the first three int32 or address arguments in EAX, EDX
// and ECX; double and single arguments on the stack, pushed in the order
// declared, so the first-declared stack argument lies highest; the callee
// removes them; int32, text and address results in EAX, reals in ST(0).
// GCC's regparm(3) with callee-pop lays out every signature of this module the
// same way, but one: it puts the first-declared stack argument lowest, as
// stdcall does. The only exports with two stack arguments, the two-double
// forms, therefore declare them value first (value at +4, index at +12),
// the opposite order to their stdcall and cdecl twins.
#define PLOKVAR_REGISTER __attribute__((regparm(3), stdcall))

// stdcall: every argument on the stack, first-declared lowest; callee pops.
#define PLOKVAR_STDCALL __attribute__((stdcall))

// cdecl: stack as stdcall; the caller pops.
#define PLOKVAR_CDECL __attribute__((cdecl))
