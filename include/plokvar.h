/* plokvar.h: the exported functions of plokvar.dll, the PC itself as an
   input/output system for a host program.

   The module offers numbered channels of four kinds, each numbered from 0:

     analogue inputs   0  seconds since local midnight, 0 to 86399
                       1  the local date-time serial (real operations only):
                          days since 30 December 1899, time of day as fraction
     analogue output   0  no device; remembers the last value written
     binary inputs     0, 1  always 0 and always 1
     binary outputs    0  Caps Lock light      2  Scroll Lock light
                       1  Num Lock light       3  CD tray door, open when on

   A bad channel index is the only error the module reports: -777 where the
   result is an integer, -777.0 where it is a real, and the empty text "" for
   names. A negative index never names a channel.

   Texts are the module's constants, NUL-terminated, in the Windows-1252 code
   page, valid while the DLL is loaded; never free or change them, and never
   expect a null pointer. Addresses returned by the p... forms point into a
   result cell of the calling thread: read the value before the next call.

   Forms of each operation, by the name's affixes:
     no prefix   register convention (GCC and Clang only, see PLOKVAR_REGISTER)
     std, c      stdcall, cdecl
     ...double   every argument a double; an index is rounded to an integer
                 under the caller's x87 rounding mode (to nearest, ties to even,
                 by default); a NaN, an infinity or a value that does not round
                 into the int32 range names no channel (-777.0 or "")
     ...s        single-precision result
     p...        the result given by address
     ...param    one argument, ignored

   Real results come back in ST(0), in every convention. The module never
   changes the caller's x87 control word and raises no floating-point
   exception of its own. It has no lock: a host calling from several threads
   serialises the calls that write (sa, sad, sb and their forms). */

#ifndef PLOKVAR_H
#define PLOKVAR_H

#include <stdint.h>

#if defined(_WIN64) || defined(__x86_64__) || defined(_M_X64)
#error "plokvar.dll is a 32-bit x86 DLL: build the host for 32-bit x86"
#endif

/* Linkage of every declaration. Define PLOKVAR_API as empty before including
   this header to declare the functions without dllimport. */
#ifndef PLOKVAR_API
#  if defined(_WIN32)
#    define PLOKVAR_API __declspec(dllimport)
#  else
#    define PLOKVAR_API
#  endif
#endif

/* stdcall: every argument on the stack, the first lowest; the function
   removes them. */
#ifndef PLOKVAR_STDCALL
#  if defined(__GNUC__)
#    define PLOKVAR_STDCALL __attribute__((__stdcall__))
#  else
#    define PLOKVAR_STDCALL __stdcall
#  endif
#endif

/* cdecl: stack as stdcall; the caller removes the arguments. */
#ifndef PLOKVAR_CDECL
#  if defined(__GNUC__)
#    define PLOKVAR_CDECL __attribute__((__cdecl__))
#  else
#    define PLOKVAR_CDECL __cdecl
#  endif
#endif

/* The register convention: the first three integer or address arguments in
   EAX, EDX and ECX, double arguments on the stack, removed by the function.
   GCC and Clang express it as regparm(3) with stdcall; the linker names
   carry the stdcall size of all the arguments (_ea@4), which the import
   libraries map to the undecorated export.

   MSVC has no way to pass arguments in EAX, EDX and ECX (its __fastcall
   puts the first two in ECX and EDX, and none in EAX), so under MSVC, and
   under Clang in MSVC mode, the register exports that take an integer or an
   address are not declared. Each has a twin with the same result:

     ea   -> stdea    ead  -> stdead    nea  -> stdnea    nead -> stdnead
     sa   -> stdsa    sad  -> stdsad    nsa  -> stdnsa    nsad -> stdnsad
     rsa  -> crsa (there is no stdrsa)  rsad -> stdrsad
     eb   -> stdeb    neb  -> stdneb
     sb   -> stdsb    nsb  -> stdnsb    rsb  -> stdrsb
     pead -> pstdead
     psad has none: call stdsad or csad, which give the value itself.

   The cdecl twins (cea, csad, ...) serve as well. A compiler that can express
   the convention may define PLOKVAR_REGISTER itself before including this
   header. */
#ifndef PLOKVAR_REGISTER
#  if defined(__GNUC__)
#    define PLOKVAR_REGISTER __attribute__((__regparm__(3), __stdcall__))
#  endif
#endif

/* Register exports that take nothing in registers (no argument, or only
   doubles) find their arguments exactly where stdcall puts them and remove
   them as stdcall does, so every compiler can call them: they are declared
   in the register convention where it exists and as stdcall elsewhere.

   The two-double register forms, sadouble and sbdouble, find the value at
   +4 and the index at +12 on the stack, the reverse of stdsadouble and
   csadouble. They are therefore declared value first: C and C++ callers
   write sadouble(value, index). */
#ifndef PLOKVAR_REGISTER_STACK
#  if defined(PLOKVAR_REGISTER)
#    define PLOKVAR_REGISTER_STACK PLOKVAR_REGISTER
#  else
#    define PLOKVAR_REGISTER_STACK PLOKVAR_STDCALL
#  endif
#endif

/* What a bad channel index gives, as an integer and as a real. */
#define PLOKVAR_CHANNEL_ERROR      (-777)
#define PLOKVAR_CHANNEL_ERROR_REAL (-777.0)

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Analogue inputs: the clock ---------------------------------------------
   ea:  channel 0, seconds since local midnight (milliseconds dropped);
        every other channel, 1 included, gives -777.
   ead: channel 0, the same count as a whole real; channel 1, the local
        date-time serial with the milliseconds in the fraction; others -777.0.
   nea: channel 0 "secondes du jour", others "".
   nead: channel 0 "secondes du jour", 1 "date.heure", others "".
   The double forms of ea and nea read ead and nead: eadouble(1.0) gives the
   date-time serial. */
#ifdef PLOKVAR_REGISTER
PLOKVAR_API int32_t      PLOKVAR_REGISTER       ea(int32_t index);
PLOKVAR_API double       PLOKVAR_REGISTER       ead(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER       nea(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER       nead(int32_t index);
PLOKVAR_API double      *PLOKVAR_REGISTER       pead(int32_t index);       /* cell holding ead */
#endif
PLOKVAR_API int32_t      PLOKVAR_STDCALL        stdea(int32_t index);
PLOKVAR_API int32_t      PLOKVAR_CDECL          cea(int32_t index);
PLOKVAR_API double       PLOKVAR_REGISTER_STACK eadouble(double index);    /* ead, -777.0 */
PLOKVAR_API double       PLOKVAR_STDCALL        stdeadouble(double index);
PLOKVAR_API double       PLOKVAR_CDECL          ceadouble(double index);
PLOKVAR_API double       PLOKVAR_STDCALL        stdead(int32_t index);
PLOKVAR_API double       PLOKVAR_CDECL          cead(int32_t index);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnea(int32_t index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnea(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK neadouble(double index);   /* nead, "" */
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdneadouble(double index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cneadouble(double index);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnead(int32_t index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnead(int32_t index);
/* The same reading through a result cell of the calling thread. */
PLOKVAR_API double      *PLOKVAR_STDCALL        pstdead(int32_t index);    /* cell holding ead */
PLOKVAR_API float       *PLOKVAR_STDCALL        pstdeas(int32_t index);    /* ead as single */
PLOKVAR_API float       *PLOKVAR_CDECL          pceas(int32_t index);      /* ead as single */
/* Always 77.77 as a single (bits 0x429B8A3D), whatever the index. */
PLOKVAR_API float        PLOKVAR_STDCALL        stdeas(int32_t index);
PLOKVAR_API float        PLOKVAR_CDECL          ceas(void);

/* ---- Analogue output 0: no device, remembered only -------------------------
   The integer and the real value are kept apart: sa and its twins write the
   integer, which rsa and crsa read back; sad, sadouble, the single forms and
   psad write the real, which rsad, rsadouble and the single read-backs read.
   Both start at 0. Writing gives -777 / -777.0 and stores nothing for any
   channel but 0.
   sa:  stores the value, gives 0.
   sad: stores the value, gives it back.
   rsa, rsad: the stored value; -777 / -777.0 for other channels.
   nsa, nsad: channel 0 "sortie analogique fictive", others "". */
#ifdef PLOKVAR_REGISTER
PLOKVAR_API int32_t      PLOKVAR_REGISTER       sa(int32_t index, int32_t value);
PLOKVAR_API double       PLOKVAR_REGISTER       sad(int32_t index, double value);
/* sad with the double at value; a cell holding its result. A null value
   gives a cell holding -777.0 and stores nothing. */
PLOKVAR_API double      *PLOKVAR_REGISTER       psad(int32_t index, const double *value);
PLOKVAR_API int32_t      PLOKVAR_REGISTER       rsa(int32_t index);
PLOKVAR_API double       PLOKVAR_REGISTER       rsad(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER       nsa(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER       nsad(int32_t index);
#endif
PLOKVAR_API int32_t      PLOKVAR_STDCALL        stdsa(int32_t index, int32_t value);
PLOKVAR_API int32_t      PLOKVAR_CDECL          csa(int32_t index, int32_t value);
/* Value first: see PLOKVAR_REGISTER_STACK. Writes the real value (sad). */
PLOKVAR_API double       PLOKVAR_REGISTER_STACK sadouble(double value, double index);
PLOKVAR_API double       PLOKVAR_STDCALL        stdsadouble(double index, double value);
PLOKVAR_API double       PLOKVAR_CDECL          csadouble(double index, double value);
PLOKVAR_API double       PLOKVAR_STDCALL        stdsad(int32_t index, double value);
PLOKVAR_API double       PLOKVAR_CDECL          csad(int32_t index, double value);
/* sad with the value widened to double; the result rounded to single. */
PLOKVAR_API float        PLOKVAR_STDCALL        stdsas(int32_t index, float value);
PLOKVAR_API float        PLOKVAR_CDECL          csas(int32_t index, float value);
PLOKVAR_API int32_t      PLOKVAR_CDECL          crsa(int32_t index);
/* rsadouble and its twins read the real value (rsad). */
PLOKVAR_API double       PLOKVAR_REGISTER_STACK rsadouble(double index);
PLOKVAR_API double       PLOKVAR_STDCALL        stdrsadouble(double index);
PLOKVAR_API double       PLOKVAR_CDECL          crsadouble(double index);
PLOKVAR_API double       PLOKVAR_STDCALL        stdrsad(int32_t index);
PLOKVAR_API double       PLOKVAR_CDECL          crsad(int32_t index);
PLOKVAR_API float        PLOKVAR_STDCALL        stdrsas(int32_t index);    /* rsad as single */
PLOKVAR_API float        PLOKVAR_CDECL          crsas(int32_t index);      /* rsad as single */
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnsa(int32_t index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnsa(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK nsadouble(double index);   /* nsad, "" */
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnsadouble(double index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnsadouble(double index);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnsad(int32_t index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnsad(int32_t index);

/* ---- Binary inputs: two constants -------------------------------------------
   eb:  channel 0 gives 0, channel 1 gives 1, others -777.
   neb: "EB fictive 0", "EB fictive 1", others "". */
#ifdef PLOKVAR_REGISTER
PLOKVAR_API int32_t      PLOKVAR_REGISTER       eb(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER       neb(int32_t index);
#endif
PLOKVAR_API int32_t      PLOKVAR_STDCALL        stdeb(int32_t index);
PLOKVAR_API int32_t      PLOKVAR_CDECL          ceb(int32_t index);
PLOKVAR_API double       PLOKVAR_REGISTER_STACK ebdouble(double index);    /* eb, -777.0 */
PLOKVAR_API double       PLOKVAR_STDCALL        stdebdouble(double index);
PLOKVAR_API double       PLOKVAR_CDECL          cebdouble(double index);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdneb(int32_t index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cneb(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK nebdouble(double index);   /* neb, "" */
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnebdouble(double index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnebdouble(double index);

/* ---- Binary outputs: lock lights and CD tray door ---------------------------
   sb:  a value of exactly 1 asks for on, any other value for off. Channels
        0 to 2 switch the Caps Lock, Num Lock and Scroll Lock lights, channel
        3 opens or closes the CD tray (blocking until the tray has moved);
        these give 0, even when the device refused. Any other channel touches
        no device and gives -777. The value as passed is recorded for
        channels 0 to 7, so 4 to 7 are recorded although they give -777.
        The double forms round the value like the index: 1.4 is on, 1.5 is 2;
        a value that names no int32 gives -777.0 and touches nothing.
   rsb: the last value written to channels 0 to 8 (8 is never written and
        stays 0), never the device's own state; others -777.
   nsb: "Verr. Majusc.", "Verr. Num.", "Arr\xEAt D\xE9fil", "CD ouvert";
        others "". */
#ifdef PLOKVAR_REGISTER
PLOKVAR_API int32_t      PLOKVAR_REGISTER       sb(int32_t index, int32_t value);
PLOKVAR_API int32_t      PLOKVAR_REGISTER       rsb(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER       nsb(int32_t index);
#endif
PLOKVAR_API int32_t      PLOKVAR_STDCALL        stdsb(int32_t index, int32_t value);
PLOKVAR_API int32_t      PLOKVAR_CDECL          csb(int32_t index, int32_t value);
/* Value first: see PLOKVAR_REGISTER_STACK. */
PLOKVAR_API double       PLOKVAR_REGISTER_STACK sbdouble(double value, double index);
PLOKVAR_API double       PLOKVAR_STDCALL        stdsbdouble(double index, double value);
PLOKVAR_API double       PLOKVAR_CDECL          csbdouble(double index, double value);
PLOKVAR_API int32_t      PLOKVAR_STDCALL        stdrsb(int32_t index);
PLOKVAR_API int32_t      PLOKVAR_CDECL          crsb(int32_t index);
PLOKVAR_API double       PLOKVAR_REGISTER_STACK rsbdouble(double index);   /* rsb, -777.0 */
PLOKVAR_API double       PLOKVAR_STDCALL        stdrsbdouble(double index);
PLOKVAR_API double       PLOKVAR_CDECL          crsbdouble(double index);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnsb(int32_t index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnsb(int32_t index);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK nsbdouble(double index);   /* nsb, "" */
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdnsbdouble(double index);
PLOKVAR_API const char  *PLOKVAR_CDECL          cnsbdouble(double index);

/* ---- Title and description ---------------------------------------------------
   titre:  "Syst\xE8me PC"
   detail: "DLL (32 bits) pour syst\xE8me PC, par Tarvelec, le 21 avril 2010"
   The ...param forms take one argument, never read, for hosts that always
   pass one. */
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK titre(void);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stdtitre(void);
PLOKVAR_API const char  *PLOKVAR_CDECL          ctitre(void);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK detail(void);
PLOKVAR_API const char  *PLOKVAR_STDCALL        stddetail(void);
PLOKVAR_API const char  *PLOKVAR_CDECL          cdetail(void);
PLOKVAR_API const char  *PLOKVAR_STDCALL        titreparam(int32_t ignored);
PLOKVAR_API const char  *PLOKVAR_STDCALL        detailparam(int32_t ignored);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK titreparamdouble(double ignored);
PLOKVAR_API const char  *PLOKVAR_REGISTER_STACK detailparamdouble(double ignored);

#ifdef __cplusplus
}
#endif

#endif /* PLOKVAR_H */
