// A host written in C++: plokvar.h and libplokvar.dll.a, the calls made
// through the header's prototypes as a host's own code makes them. The
// tables walk every form of an operation, so that each prototype meets the
// others through the module's state.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>

#include "plokvar.h"

namespace {

HMODULE module() { return GetModuleHandleA("plokvar.dll"); }

// The one function pointer type every other converts to without a warning.
using any_function = void (*)();

// Where a call through this address lands. The address of an imported
// function may be the import library's stub, jmp [__imp_name], in the
// program itself; the stub's import address table slot then holds it.
any_function call_target(any_function address) {
    const auto *code = reinterpret_cast<const unsigned char *>(address);
    if (code[0] != 0xFF || code[1] != 0x25) return address;
    const void *slot;
    std::memcpy(&slot, code + 2, sizeof slot);
    any_function target;
    std::memcpy(&target, slot, sizeof target);
    return target;
}

TEST(HostKitImportLibrary, EveryDeclaredExportIsTheModulesExportOfThatName) {
    ASSERT_NE(module(), nullptr) << "plokvar.dll is not loaded by the import library";
    const struct {
        const char *name;
        any_function address;
    } declared[] = {
#define EXPORT(ordinal, name, convention, arguments, result, form, target) \
    {#name, reinterpret_cast<any_function>(&name)},
#include "export_table.h"
#undef EXPORT
    };
    for (const auto &entry : declared)
        EXPECT_EQ(call_target(entry.address), reinterpret_cast<any_function>(GetProcAddress(module(), entry.name)))
            << entry.name;
}

// ---- Analogue output: every writer of a kind against every reader -----------

struct real_writer {
    const char *form;
    double (*write)(int32_t index, double value);  // gives the form's result as a double
};

const real_writer real_writers[] = {
    {"sad", [](int32_t i, double v) { return sad(i, v); }},
    {"stdsad", [](int32_t i, double v) { return stdsad(i, v); }},
    {"csad", [](int32_t i, double v) { return csad(i, v); }},
    {"sadouble", [](int32_t i, double v) { return sadouble(v, i); }},
    {"stdsadouble", [](int32_t i, double v) { return stdsadouble(i, v); }},
    {"csadouble", [](int32_t i, double v) { return csadouble(i, v); }},
    {"psad", [](int32_t i, double v) { return *psad(i, &v); }},
    {"stdsas", [](int32_t i, double v) { return double(stdsas(i, float(v))); }},
    {"csas", [](int32_t i, double v) { return double(csas(i, float(v))); }},
};

struct real_reader {
    const char *form;
    double (*read)(int32_t index);
};

const real_reader real_readers[] = {
    {"rsad", [](int32_t i) { return rsad(i); }},
    {"stdrsad", [](int32_t i) { return stdrsad(i); }},
    {"crsad", [](int32_t i) { return crsad(i); }},
    {"rsadouble", [](int32_t i) { return rsadouble(i); }},
    {"stdrsadouble", [](int32_t i) { return stdrsadouble(i); }},
    {"crsadouble", [](int32_t i) { return crsadouble(i); }},
    {"stdrsas", [](int32_t i) { return double(stdrsas(i)); }},
    {"crsas", [](int32_t i) { return double(crsas(i)); }},
};

struct int_writer {
    const char *form;
    int32_t (*write)(int32_t index, int32_t value);
};

const int_writer analogue_int_writers[] = {
    {"sa", [](int32_t i, int32_t v) { return sa(i, v); }},
    {"stdsa", [](int32_t i, int32_t v) { return stdsa(i, v); }},
    {"csa", [](int32_t i, int32_t v) { return csa(i, v); }},
};

struct int_reader {
    const char *form;
    int32_t (*read)(int32_t index);
};

const int_reader analogue_int_readers[] = {
    {"rsa", [](int32_t i) { return rsa(i); }},
    {"crsa", [](int32_t i) { return crsa(i); }},
};

TEST(HostKitAnalogueOutput, EveryRealWriterIsSeenByEveryReader) {
    double value = -2.5;  // exact in single precision, like every value below
    for (const auto &writer : real_writers) {
        value += 1.25;
        EXPECT_EQ(writer.write(0, value), value) << writer.form;
        EXPECT_EQ(writer.write(1, value + 100.0), PLOKVAR_CHANNEL_ERROR_REAL) << writer.form << " on channel 1";
        for (const auto &reader : real_readers) {
            EXPECT_EQ(reader.read(0), value) << writer.form << " then " << reader.form;
            EXPECT_EQ(reader.read(-1), PLOKVAR_CHANNEL_ERROR_REAL) << reader.form << " of channel -1";
        }
    }
}

TEST(HostKitAnalogueOutput, IntegerAndRealValuesStayApart) {
    ASSERT_EQ(stdsad(0, 0.5), 0.5);
    int32_t value = 1000;
    for (const auto &writer : analogue_int_writers) {
        ++value;
        EXPECT_EQ(writer.write(0, value), 0) << writer.form;
        EXPECT_EQ(writer.write(2, -value), PLOKVAR_CHANNEL_ERROR) << writer.form << " on channel 2";
        for (const auto &reader : analogue_int_readers)
            EXPECT_EQ(reader.read(0), value) << writer.form << " then " << reader.form;
        EXPECT_EQ(rsad(0), 0.5) << writer.form << " changed the real value";
    }
    ASSERT_EQ(csadouble(0.0, 7.0), 7.0);
    EXPECT_EQ(crsa(0), value) << "csadouble changed the integer value";
}

// ---- Binary outputs 4 to 7: recorded, no device behind them ---------------

const int_writer binary_writers[] = {
    {"sb", [](int32_t i, int32_t v) { return sb(i, v); }},
    {"stdsb", [](int32_t i, int32_t v) { return stdsb(i, v); }},
    {"csb", [](int32_t i, int32_t v) { return csb(i, v); }},
    {"sbdouble", [](int32_t i, int32_t v) { return int32_t(sbdouble(v, i)); }},
    {"stdsbdouble", [](int32_t i, int32_t v) { return int32_t(stdsbdouble(i, v)); }},
    {"csbdouble", [](int32_t i, int32_t v) { return int32_t(csbdouble(i, v)); }},
};

const int_reader binary_readers[] = {
    {"rsb", [](int32_t i) { return rsb(i); }},
    {"stdrsb", [](int32_t i) { return stdrsb(i); }},
    {"crsb", [](int32_t i) { return crsb(i); }},
    {"rsbdouble", [](int32_t i) { return int32_t(rsbdouble(i)); }},
    {"stdrsbdouble", [](int32_t i) { return int32_t(stdrsbdouble(i)); }},
    {"crsbdouble", [](int32_t i) { return int32_t(crsbdouble(i)); }},
};

TEST(HostKitBinaryOutputs, EveryWriterIsSeenByEveryReader) {
    int32_t value = 10;
    for (const auto &writer : binary_writers) {
        for (int32_t channel = 4; channel <= 7; ++channel) {
            value += 1;
            EXPECT_EQ(writer.write(channel, value), PLOKVAR_CHANNEL_ERROR) << writer.form << " on channel " << channel;
            // A neighbour keeps its own value: no form mixes index and value.
            const int32_t neighbour = channel == 4 ? 5 : 4;
            const int32_t before = crsb(neighbour);
            for (const auto &reader : binary_readers) {
                EXPECT_EQ(reader.read(channel), value) << writer.form << " then " << reader.form << " of " << channel;
                EXPECT_EQ(reader.read(neighbour), before) << writer.form << " then " << reader.form;
                EXPECT_EQ(reader.read(9), PLOKVAR_CHANNEL_ERROR) << reader.form << " of channel 9";
            }
        }
    }
}

// ---- Inputs: every form of a reading agrees --------------------------------

struct real_input {
    const char *form;
    double (*read)(int32_t index);
};

// Every form that reads the seconds of the day, as a real.
const real_input seconds_forms[] = {
    {"ea", [](int32_t i) { return double(ea(i)); }},
    {"stdea", [](int32_t i) { return double(stdea(i)); }},
    {"cea", [](int32_t i) { return double(cea(i)); }},
    {"ead", [](int32_t i) { return ead(i); }},
    {"stdead", [](int32_t i) { return stdead(i); }},
    {"cead", [](int32_t i) { return cead(i); }},
    {"eadouble", [](int32_t i) { return eadouble(i); }},
    {"stdeadouble", [](int32_t i) { return stdeadouble(i); }},
    {"ceadouble", [](int32_t i) { return ceadouble(i); }},
    {"pead", [](int32_t i) { return *pead(i); }},
    {"pstdead", [](int32_t i) { return *pstdead(i); }},
    {"pstdeas", [](int32_t i) { return double(*pstdeas(i)); }},
    {"pceas", [](int32_t i) { return double(*pceas(i)); }},
};

TEST(HostKitInputs, EveryFormReadsTheSameSecondOfTheDay) {
    // Read until no second boundary falls between the first and last reading.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int32_t first = stdea(0);
        double readings[std::size(seconds_forms)];
        for (size_t n = 0; n < std::size(seconds_forms); ++n) readings[n] = seconds_forms[n].read(0);
        if (stdea(0) != first) continue;
        ASSERT_GE(first, 0);
        ASSERT_LE(first, 86399);
        for (size_t n = 0; n < std::size(seconds_forms); ++n)
            EXPECT_EQ(readings[n], double(first)) << seconds_forms[n].form;
        return;
    }
    FAIL() << "the second of the day changed during every attempt";
}

TEST(HostKitInputs, EveryFormOfChannel2GivesTheError) {
    for (const auto &form : seconds_forms) EXPECT_EQ(form.read(2), PLOKVAR_CHANNEL_ERROR_REAL) << form.form;
}

TEST(HostKitInputs, TheRealFormsReadTheDateTimeSerialOnChannel1) {
    const real_input serial_forms[] = {
        {"ead", [](int32_t i) { return ead(i); }},
        {"stdead", [](int32_t i) { return stdead(i); }},
        {"cead", [](int32_t i) { return cead(i); }},
        {"eadouble", [](int32_t i) { return eadouble(i); }},
        {"stdeadouble", [](int32_t i) { return stdeadouble(i); }},
        {"ceadouble", [](int32_t i) { return ceadouble(i); }},
        {"pead", [](int32_t i) { return *pead(i); }},
        {"pstdead", [](int32_t i) { return *pstdead(i); }},
    };
    for (const auto &form : serial_forms) {
        bool read_within_a_second = false;
        for (int attempt = 0; attempt < 5 && !read_within_a_second; ++attempt) {
            const int32_t before = cea(0);
            const double serial = form.read(1);
            if (cea(0) != before) continue;
            read_within_a_second = true;
            // The fraction is the time of day, milliseconds included.
            const double seconds = (serial - std::floor(serial)) * 86400.0;
            EXPECT_GT(serial, 40000.0) << form.form;  // later than 2009
            EXPECT_NEAR(seconds, before + 0.5, 0.5 + 1e-3) << form.form;
        }
        EXPECT_TRUE(read_within_a_second) << form.form;
    }
    EXPECT_EQ(cea(1), PLOKVAR_CHANNEL_ERROR) << "the integer side has no channel 1";
}

}  // namespace
