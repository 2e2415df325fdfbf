// Exports called as a host declares them: through a typed function pointer
// from GetProcAddress, with no checking thunk in between. For loops too long
// for the thunk and for calls from several threads at once.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"

namespace stress {

// The register convention as a host compiler spells it. With two stack
// arguments (the two-double forms) it pushes them in the order declared, the
// opposite of regparm(3) with callee-pop, so such a pointer is declared value
// first.
#define STRESS_REGISTER __attribute__((regparm(3), stdcall))
#define STRESS_STDCALL __attribute__((stdcall))
#define STRESS_CDECL __attribute__((cdecl))

template <typename Result, typename... Arguments>
using register_function = Result(STRESS_REGISTER *)(Arguments...);
template <typename Result, typename... Arguments>
using stdcall_function = Result(STRESS_STDCALL *)(Arguments...);
template <typename Result, typename... Arguments>
using cdecl_function = Result(STRESS_CDECL *)(Arguments...);

template <typename Function>
Function resolve(HMODULE module, const char *name) {
    FARPROC found = GetProcAddress(module, name);
    if (!found) throw std::runtime_error(std::string(name) + " does not resolve");
    return reinterpret_cast<Function>(reinterpret_cast<void *>(found));
}

// One call of an export with real or single result, its arguments bound, as
// host::call would lay them out; the result exactly as the host stores it.
using real_call = std::function<double()>;

namespace detail {

template <typename Result>
double stored(Result value) {
    volatile Result kept = value;
    return kept;
}

inline int32_t int_at(const std::vector<host::argument> &a, size_t n) { return static_cast<int32_t>(a.at(n).word); }
inline double real_at(const std::vector<host::argument> &a, size_t n) { return a.at(n).real_value; }
inline float single_at(const std::vector<host::argument> &a, size_t n) { return a.at(n).single_value; }

template <typename Result, template <typename, typename...> class Function>
real_call bind_stack_shapes(void *f, std::string_view shape, const std::vector<host::argument> &a) {
    if (shape == "none") {
        auto g = reinterpret_cast<Function<Result>>(f);
        return [=] { return stored(g()); };
    }
    if (shape == "i") {
        auto g = reinterpret_cast<Function<Result, int32_t>>(f);
        const int32_t index = int_at(a, 0);
        return [=] { return stored(g(index)); };
    }
    if (shape == "d") {
        auto g = reinterpret_cast<Function<Result, double>>(f);
        const double index = real_at(a, 0);
        return [=] { return stored(g(index)); };
    }
    if (shape == "dd") {
        auto g = reinterpret_cast<Function<Result, double, double>>(f);
        const double index = real_at(a, 0), value = real_at(a, 1);
        return [=] { return stored(g(index, value)); };
    }
    if (shape == "id") {
        auto g = reinterpret_cast<Function<Result, int32_t, double>>(f);
        const int32_t index = int_at(a, 0);
        const double value = real_at(a, 1);
        return [=] { return stored(g(index, value)); };
    }
    if (shape == "if") {
        auto g = reinterpret_cast<Function<Result, int32_t, float>>(f);
        const int32_t index = int_at(a, 0);
        const float value = single_at(a, 1);
        return [=] { return stored(g(index, value)); };
    }
    throw std::invalid_argument("no typed call for arguments " + std::string(shape));
}

template <typename Result>
real_call bind_register(void *f, std::string_view shape, const std::vector<host::argument> &a) {
    if (shape == "dd") {
        auto g = reinterpret_cast<register_function<Result, double, double>>(f);
        const double index = real_at(a, 0), value = real_at(a, 1);
        return [=] { return stored(g(value, index)); };
    }
    // One double or (int32, double): the int32 in EAX, the double on the stack.
    return bind_stack_shapes<Result, register_function>(f, shape, a);
}

}  // namespace detail

inline real_call bind_real_call(HMODULE module, const host::export_row &row, const std::vector<host::argument> &a) {
    void *f = reinterpret_cast<void *>(resolve<FARPROC>(module, row.name));
    const bool single = row.result == host::result_kind::single;
    switch (row.calling) {
    case host::convention::reg:
        return single ? detail::bind_register<float>(f, row.arguments, a)
                      : detail::bind_register<double>(f, row.arguments, a);
    case host::convention::std:
        return single ? detail::bind_stack_shapes<float, stdcall_function>(f, row.arguments, a)
                      : detail::bind_stack_shapes<double, stdcall_function>(f, row.arguments, a);
    case host::convention::cdecl_:
        return single ? detail::bind_stack_shapes<float, cdecl_function>(f, row.arguments, a)
                      : detail::bind_stack_shapes<double, cdecl_function>(f, row.arguments, a);
    }
    throw std::invalid_argument(row.name);
}

}  // namespace stress
