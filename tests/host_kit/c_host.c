/* A host written in C: built against plokvar.h and linked through an import
   library, as a host's developer builds one. It calls exports of every
   convention and form and checks their results, one case per line, in an
   order that lets each read-back see what the writes before it left.

   Built three ways: by MinGW GCC (C99) and by Clang for MinGW (C11), both
   through libplokvar.dll.a, and by Clang in MSVC mode through plokvar.lib,
   where the header declares no export that needs registers. The calls run
   in functions without a frame pointer, so a call that left the stack
   pointer elsewhere shows as a wrong value or a crash. */
#include "plokvar.h"

#if defined(_MSC_VER)
/* No C library headers in this build: the few functions needed come from
   msvcrt.dll, and the program starts at host_entry. */
__declspec(dllimport) int __cdecl printf(const char *format, ...);
__declspec(dllimport) int __cdecl strcmp(const char *a, const char *b);
__declspec(dllimport) void __stdcall ExitProcess(unsigned int code);
int _fltused;
#else
#include <stdio.h>
#include <string.h>
#endif

/* In a variable: GCC may keep a float constant in long double precision. */
static const float one_point_one = 1.1f;

static const char title[] = "Syst\xE8me PC";
static const char description[] = "DLL (32 bits) pour syst\xE8me PC, par Tarvelec, le 21 avril 2010";

static int checks;
static int failures;

static void fail_if(int failed, const char *call) {
    ++checks;
    if (failed) {
        ++failures;
        printf("FAIL %s", call);
    }
}

static void expect_int(const char *call, int32_t got, int32_t expected) {
    fail_if(got != expected, call);
    if (got != expected) printf(": got %ld, expected %ld\n", (long)got, (long)expected);
}

static void expect_real(const char *call, double got, double expected) {
    fail_if(got != expected, call);
    if (got != expected) printf(": got %.17g, expected %.17g\n", got, expected);
}

static void expect_single(const char *call, float got, float expected) {
    fail_if(got != expected, call);
    if (got != expected) printf(": got %.9g, expected %.9g\n", (double)got, (double)expected);
}

static void expect_text(const char *call, const char *got, const char *expected) {
    const int failed = !got || strcmp(got, expected) != 0;
    fail_if(failed, call);
    if (failed) printf(": got \"%s\", expected \"%s\"\n", got ? got : "(null)", expected);
}

static void expect_seconds(const char *call, int32_t got) {
    const int failed = got < 0 || got > 86399;
    fail_if(failed, call);
    if (failed) printf(": got %ld, expected seconds of the day\n", (long)got);
}

#define EXPECT_INT(call, expected) expect_int(#call, (call), (expected))
#define EXPECT_REAL(call, expected) expect_real(#call, (call), (expected))
#define EXPECT_SINGLE(call, expected) expect_single(#call, (call), (expected))
#define EXPECT_TEXT(call, expected) expect_text(#call, (call), (expected))
#define EXPECT_SECONDS(call) expect_seconds(#call, (call))

static void analogue_inputs(void) {
#ifdef PLOKVAR_REGISTER
    EXPECT_SECONDS(ea(0));
    EXPECT_INT(ea(1), PLOKVAR_CHANNEL_ERROR);
    EXPECT_REAL(ead(-1), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_TEXT(nea(1), "");
    EXPECT_TEXT(nead(1), "date.heure");
    EXPECT_REAL(*pead(2), PLOKVAR_CHANNEL_ERROR_REAL);
#endif
    EXPECT_SECONDS(stdea(0));
    EXPECT_INT(stdea(-1), PLOKVAR_CHANNEL_ERROR);
    EXPECT_SECONDS(cea(0));
    EXPECT_INT(cea(1), PLOKVAR_CHANNEL_ERROR);
    EXPECT_REAL(eadouble(1.5), PLOKVAR_CHANNEL_ERROR_REAL); /* rounds to 2 */
    EXPECT_REAL(stdead(2), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_REAL(ceadouble(-2.0), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_TEXT(stdnea(0), "secondes du jour");
    EXPECT_TEXT(neadouble(1.0), "date.heure");
    EXPECT_TEXT(cnead(1), "date.heure");
    EXPECT_TEXT(stdneadouble(2.0), "");
    EXPECT_REAL(*pstdead(2), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_SINGLE(*pstdeas(-1), -777.0f);
    EXPECT_SINGLE(*pceas(2), -777.0f);
    EXPECT_SINGLE(stdeas(12345), 77.77f);
    EXPECT_SINGLE(ceas(), 77.77f);
}

static void analogue_output(void) {
    EXPECT_INT(stdsa(0, 42), 0);
    EXPECT_INT(crsa(0), 42);
    EXPECT_INT(csa(1, 5), PLOKVAR_CHANNEL_ERROR);
    EXPECT_INT(crsa(0), 42);
    EXPECT_REAL(sadouble(2.75, 0.0), 2.75); /* value first */
    EXPECT_REAL(stdrsad(0), 2.75);
    EXPECT_REAL(stdsadouble(0.0, -1.5), -1.5);
    EXPECT_REAL(rsadouble(0.0), -1.5);
    EXPECT_REAL(csadouble(1.0, 8.0), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_REAL(csad(0, 0.125), 0.125);
    EXPECT_REAL(crsadouble(0.0), 0.125);
    EXPECT_SINGLE(stdsas(0, one_point_one), one_point_one);
    EXPECT_REAL(crsad(0), (double)one_point_one);
    EXPECT_SINGLE(csas(2, 3.0f), -777.0f);
    EXPECT_SINGLE(stdrsas(0), one_point_one);
    EXPECT_SINGLE(crsas(1), -777.0f);
    EXPECT_INT(crsa(0), 42); /* the integer value is kept apart */
#ifdef PLOKVAR_REGISTER
    EXPECT_INT(sa(0, -9), 0);
    EXPECT_INT(rsa(0), -9);
    EXPECT_REAL(sad(0, 6.5), 6.5);
    EXPECT_REAL(rsad(0), 6.5);
    {
        const double value = -0.375;
        EXPECT_REAL(*psad(0, &value), -0.375);
        EXPECT_REAL(*psad(3, &value), PLOKVAR_CHANNEL_ERROR_REAL);
    }
    EXPECT_REAL(*psad(0, (const double *)0), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_REAL(rsad(0), -0.375);
    EXPECT_TEXT(nsa(0), "sortie analogique fictive");
    EXPECT_TEXT(nsad(1), "");
#endif
    EXPECT_TEXT(cnsa(0), "sortie analogique fictive");
    EXPECT_TEXT(stdnsad(0), "sortie analogique fictive");
    EXPECT_TEXT(nsadouble(-0.4), "sortie analogique fictive");
    EXPECT_TEXT(cnsadouble(1.0), "");
}

static void binary_inputs(void) {
#ifdef PLOKVAR_REGISTER
    EXPECT_INT(eb(1), 1);
    EXPECT_TEXT(neb(1), "EB fictive 1");
#endif
    EXPECT_INT(stdeb(1), 1);
    EXPECT_INT(ceb(0), 0);
    EXPECT_INT(ceb(2), PLOKVAR_CHANNEL_ERROR);
    EXPECT_REAL(ebdouble(4294967297.0), PLOKVAR_CHANNEL_ERROR_REAL); /* not wrapped to 1 */
    EXPECT_REAL(stdebdouble(0.5), 0.0);     /* ties to even */
    EXPECT_REAL(cebdouble(2.0), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_TEXT(stdneb(0), "EB fictive 0");
    EXPECT_TEXT(nebdouble(1.0), "EB fictive 1");
    EXPECT_TEXT(cnebdouble(-1.0), "");
}

/* Channels 4 to 7 record what is written and drive no device. */
static void binary_outputs(void) {
    EXPECT_REAL(sbdouble(5.0, 6.0), PLOKVAR_CHANNEL_ERROR_REAL); /* value 5 to channel 6 */
    EXPECT_INT(stdrsb(6), 5);
    EXPECT_INT(crsb(5), 0);
    EXPECT_REAL(stdsbdouble(4.0, 1.5), PLOKVAR_CHANNEL_ERROR_REAL); /* 1.5 rounds to 2 */
    EXPECT_REAL(rsbdouble(4.0), 2.0);
    EXPECT_REAL(csbdouble(5.0, -3.0), PLOKVAR_CHANNEL_ERROR_REAL);
    EXPECT_REAL(crsbdouble(5.0), -3.0);
    EXPECT_INT(stdsb(7, 1), PLOKVAR_CHANNEL_ERROR);
    EXPECT_REAL(stdrsbdouble(7.0), 1.0);
    EXPECT_INT(csb(8, 1), PLOKVAR_CHANNEL_ERROR);
    EXPECT_INT(crsb(8), 0);
#ifdef PLOKVAR_REGISTER
    EXPECT_INT(sb(-1, 1), PLOKVAR_CHANNEL_ERROR);
    EXPECT_INT(rsb(4), 2);
    EXPECT_INT(rsb(9), PLOKVAR_CHANNEL_ERROR);
    EXPECT_TEXT(nsb(0), "Verr. Majusc.");
#endif
    EXPECT_TEXT(stdnsb(2), "Arr\xEAt D\xE9" "fil");
    EXPECT_TEXT(cnsb(4), "");
    EXPECT_TEXT(nsbdouble(1.0), "Verr. Num.");
    EXPECT_TEXT(stdnsbdouble(3.0), "CD ouvert");
    EXPECT_TEXT(cnsbdouble(3.5), ""); /* rounds to 4 */
}

static void title_and_description(void) {
    EXPECT_TEXT(titre(), title);
    EXPECT_TEXT(stdtitre(), title);
    EXPECT_TEXT(ctitre(), title);
    EXPECT_TEXT(detail(), description);
    EXPECT_TEXT(stddetail(), description);
    EXPECT_TEXT(cdetail(), description);
    EXPECT_TEXT(titreparam(-1), title);
    EXPECT_TEXT(detailparam(7), description);
    EXPECT_TEXT(titreparamdouble(1e300), title);
    EXPECT_TEXT(detailparamdouble(-0.0), description);
}

int main(void) {
    analogue_inputs();
    analogue_output();
    binary_inputs();
    binary_outputs();
    title_and_description();
    printf("%d of %d checks failed\n", failures, checks);
    return failures != 0;
}

#if defined(_MSC_VER)
void __stdcall host_entry(void) { ExitProcess((unsigned int)main()); }
#endif
