// Declarations of all exports, derived from the export table. Every
// definition, base operation or adapter, must match its row's convention and
// arguments, or the module does not compile.
#pragma once

#include <cstdint>

#include "../channels/channels.h"
#include "conventions.h"
#include "export_signatures.h"

extern "C" {
#define EXPORT(ordinal, name, convention, arguments, result, form, target) \
    PLOKVAR_RESULT_##result PLOKVAR_CONVENTION_##convention name PLOKVAR_ARGUMENTS_##arguments##_##convention;
#include "export_table.h"
#undef EXPORT
}
