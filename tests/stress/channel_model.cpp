#include "channel_model.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "stress_support.h"

namespace model {

using host::convention;
using host::result_kind;

namespace {

constexpr int32_t no_channel = -777;

enum class operation { ea, nea, ead, nead, sa, nsa, sad, nsad, rsa, rsad, eb, neb, sb, nsb, rsb, titre, detail };

// The seventeen base operations, in the register convention.
struct base_operation {
    const char *stem;
    operation op;
    const char *arguments;
    result_kind result;
    operation double_form_calls;  // the real operations stand behind the double forms of the integer ones
};

const base_operation base_operations[] = {
    {"ea", operation::ea, "i", result_kind::int_, operation::ead},
    {"nea", operation::nea, "i", result_kind::text, operation::nead},
    {"ead", operation::ead, "i", result_kind::real, operation::ead},
    {"nead", operation::nead, "i", result_kind::text, operation::nead},
    {"sa", operation::sa, "ii", result_kind::int_, operation::sad},
    {"nsa", operation::nsa, "i", result_kind::text, operation::nsad},
    {"sad", operation::sad, "id", result_kind::real, operation::sad},
    {"nsad", operation::nsad, "i", result_kind::text, operation::nsad},
    {"rsa", operation::rsa, "i", result_kind::int_, operation::rsad},
    {"rsad", operation::rsad, "i", result_kind::real, operation::rsad},
    {"eb", operation::eb, "i", result_kind::int_, operation::eb},
    {"neb", operation::neb, "i", result_kind::text, operation::neb},
    {"sb", operation::sb, "ii", result_kind::int_, operation::sb},
    {"nsb", operation::nsb, "i", result_kind::text, operation::nsb},
    {"rsb", operation::rsb, "i", result_kind::int_, operation::rsb},
    {"titre", operation::titre, "none", result_kind::text, operation::titre},
    {"detail", operation::detail, "none", result_kind::text, operation::detail},
};

enum class form { direct, doubled, single_constant, single_of, address_real, address_single, dummy };

struct plan {
    operation op;
    form how;
    convention calling;
    std::string arguments;
    result_kind result;
};

// The forms whose names do not follow from a stem and its affixes.
struct irregular_export {
    const char *name;
    plan what;
};

const irregular_export irregular_exports[] = {
    {"stdeas", {operation::ead, form::single_constant, convention::std, "i", result_kind::single}},
    {"ceas", {operation::ead, form::single_constant, convention::cdecl_, "none", result_kind::single}},
    {"stdsas", {operation::sad, form::single_of, convention::std, "if", result_kind::single}},
    {"csas", {operation::sad, form::single_of, convention::cdecl_, "if", result_kind::single}},
    {"stdrsas", {operation::rsad, form::single_of, convention::std, "i", result_kind::single}},
    {"crsas", {operation::rsad, form::single_of, convention::cdecl_, "i", result_kind::single}},
    {"pead", {operation::ead, form::address_real, convention::reg, "i", result_kind::real_ptr}},
    {"psad", {operation::sad, form::address_real, convention::reg, "ip", result_kind::real_ptr}},
    {"pstdead", {operation::ead, form::address_real, convention::std, "i", result_kind::real_ptr}},
    {"pstdeas", {operation::ead, form::address_single, convention::std, "i", result_kind::single_ptr}},
    {"pceas", {operation::ead, form::address_single, convention::cdecl_, "i", result_kind::single_ptr}},
    {"titreparam", {operation::titre, form::dummy, convention::std, "i", result_kind::text}},
    {"detailparam", {operation::detail, form::dummy, convention::std, "i", result_kind::text}},
    {"titreparamdouble", {operation::titre, form::dummy, convention::reg, "d", result_kind::text}},
    {"detailparamdouble", {operation::detail, form::dummy, convention::reg, "d", result_kind::text}},
};

// Everything else: an optional std or c prefix, a stem, an optional double suffix.
std::optional<plan> plan_for(std::string_view name) {
    for (const auto &e : irregular_exports)
        if (name == e.name) return e.what;
    convention calling = convention::reg;
    if (name.starts_with("std")) {
        calling = convention::std;
        name.remove_prefix(3);
    } else if (name.starts_with("c")) {
        calling = convention::cdecl_;
        name.remove_prefix(1);
    }
    const bool doubled = name.ends_with("double");
    if (doubled) name.remove_suffix(6);
    for (const auto &b : base_operations) {
        if (name != b.stem) continue;
        if (!doubled) return plan{b.op, form::direct, calling, b.arguments, b.result};
        const std::string_view arguments = b.arguments;
        if (arguments == "none") return std::nullopt;
        return plan{b.double_form_calls, form::doubled, calling, arguments == "i" ? "d" : "dd",
                    b.result == result_kind::text ? result_kind::text : result_kind::real};
    }
    return std::nullopt;
}

// A single under the rounding in force, as a host's own narrowing gives it.
double narrowed(double value) {
    volatile float single = static_cast<float>(value);
    return single;
}

const char *const binary_output_names[] = {"Verr. Majusc.", "Verr. Num.", "Arr\xEAt D\xE9" "fil", "CD ouvert"};
constexpr BYTE lock_keys[] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL};

void set_light(int light, bool on, const system_view &system, std::vector<device_call> &devices) {
    const BYTE key = lock_keys[light];
    if (system.nt_platform) {
        // A press and a release toggle the lock; only when it is not already
        // as asked, whether or not the key is held down.
        if (((system.keys[key] & 1) != 0) == on) return;
        const BYTE scan = static_cast<BYTE>(MapVirtualKeyA(key, 0));
        devices.push_back(key_event_call(key, scan, KEYEVENTF_EXTENDEDKEY, 0));
        devices.push_back(key_event_call(key, scan, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0));
    } else {
        std::array<BYTE, 256> written = system.keys;
        written[key] = on ? 1 : 0;
        devices.push_back(keyboard_state_call(written));
    }
}

void set_door(bool open, std::vector<device_call> &devices) {
    devices.push_back(
        mci_string_call(open ? "Set cdaudio door open wait" : "Set cdaudio door closed wait", false, 0, false));
}

answer integer(int32_t value) {
    answer a;
    a.integer = value;
    return a;
}

answer real(double value, bool clock = false, result_kind kind = result_kind::real) {
    answer a;
    a.kind = kind;
    a.real = value;
    a.clock_reading = clock;
    return a;
}

answer text(const char *value) {
    answer a;
    a.kind = result_kind::text;
    a.text = value;
    return a;
}

}  // namespace

rounding rounding_of(uint16_t control_word) { return static_cast<rounding>((control_word >> 10) & 3); }

std::optional<int32_t> to_index(double value, rounding how) {
    if (!(std::fabs(value) < 0x1p62)) return std::nullopt;  // NaN too
    // A C++ conversion truncates whatever rounding is in force; the part cut
    // off is exact, so the other roundings follow from its sign and size.
    const int64_t truncated = static_cast<int64_t>(value);
    const double cut_off = value - static_cast<double>(truncated);
    const int64_t away = cut_off < 0 ? -1 : 1;
    int64_t rounded = truncated;
    switch (how) {
    case rounding::toward_zero: break;
    case rounding::down: rounded -= cut_off < 0; break;
    case rounding::up: rounded += cut_off > 0; break;
    case rounding::nearest: {
        const double size = std::fabs(cut_off);
        if (size > 0.5 || (size == 0.5 && truncated % 2 != 0)) rounded += away;
        break;
    }
    }
    if (rounded < INT32_MIN || rounded > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(rounded);
}

device_call key_event_call(BYTE key, BYTE scan, DWORD flags, ULONG_PTR extra) {
    device_call c;
    c.key = key;
    c.scan = scan;
    c.flags = flags;
    c.extra = extra;
    return c;
}

device_call keyboard_state_call(const std::array<BYTE, 256> &keys) {
    device_call c;
    c.what = device_call::keyboard_state;
    c.keys = keys;
    return c;
}

device_call mci_string_call(const char *command, bool return_buffer, UINT return_length, bool callback_window) {
    device_call c;
    c.what = device_call::mci_string;
    c.command = command;
    c.return_buffer = return_buffer;
    c.return_length = return_length;
    c.callback_window = callback_window;
    return c;
}

std::string describe(const device_call &call) {
    char line[160];
    switch (call.what) {
    case device_call::key_event:
        std::snprintf(line, sizeof line, "keybd_event(0x%02X, 0x%02X, %lu, %lu)", call.key, call.scan,
                      static_cast<unsigned long>(call.flags), static_cast<unsigned long>(call.extra));
        return line;
    case device_call::keyboard_state:
        std::snprintf(line, sizeof line, "SetKeyboardState(caps 0x%02X, num 0x%02X, scroll 0x%02X)",
                      call.keys[VK_CAPITAL], call.keys[VK_NUMLOCK], call.keys[VK_SCROLL]);
        return line;
    case device_call::mci_string:
        std::snprintf(line, sizeof line, "mciSendStringA(\"%s\", %s, %u, %s)", call.command.c_str(),
                      call.return_buffer ? "buffer" : "null", call.return_length,
                      call.callback_window ? "window" : "null");
        return line;
    }
    return "?";
}

std::string channels::disagreement(const host::export_row &row) {
    const auto p = plan_for(row.name);
    if (!p) return std::string(row.name) + ": no such export in the channel rules";
    if (p->calling != row.calling) return std::string(row.name) + ": another convention";
    if (p->arguments != row.arguments) return std::string(row.name) + ": arguments " + p->arguments;
    if (p->result != row.result) return std::string(row.name) + ": another kind of result";
    return {};
}

answer channels::call(const host::export_row &row, const std::vector<host::argument> &a, uint16_t control_word,
                      const system_view &system, std::vector<device_call> &devices) {
    const plan p = *plan_for(row.name);
    const rounding how = rounding_of(control_word);
    auto int_at = [&](size_t n) { return static_cast<int32_t>(a.at(n).word); };

    // One base operation on integer channel indexes and values.
    auto run = [&](operation op, int32_t index, int32_t int_value, double real_value) -> answer {
        const uint32_t channel = static_cast<uint32_t>(index);
        switch (op) {
        case operation::ea:
            return integer(index == 0 ? stress::seconds_of_day(system.now) : no_channel);
        case operation::ead:
            if (index == 0) return real(stress::seconds_of_day(system.now));
            if (index == 1) return real(stress::date_time_serial(system.now), true);
            return real(no_channel);
        case operation::nea: return text(index == 0 ? "secondes du jour" : "");
        case operation::nead: return text(index == 0 ? "secondes du jour" : index == 1 ? "date.heure" : "");
        case operation::eb: return integer(channel < 2 ? index : no_channel);
        case operation::neb: return text(index == 0 ? "EB fictive 0" : index == 1 ? "EB fictive 1" : "");
        case operation::titre: return text("Syst\xE8me PC");
        case operation::detail: return text("DLL (32 bits) pour syst\xE8me PC, par Tarvelec, le 21 avril 2010");
        case operation::sa:
            if (index != 0) return integer(no_channel);
            analogue_output_int_ = int_value;
            return integer(0);
        case operation::sad:
            if (index != 0) return real(no_channel);
            analogue_output_real_ = real_value;
            return real(real_value);
        case operation::rsa: return integer(index == 0 ? analogue_output_int_ : no_channel);
        case operation::rsad: return real(index == 0 ? analogue_output_real_ : no_channel);
        case operation::nsa:
        case operation::nsad: return text(index == 0 ? "sortie analogique fictive" : "");
        case operation::sb: {
            const bool on = int_value == 1;
            int32_t result = no_channel;
            if (channel < 3) {
                set_light(static_cast<int>(channel), on, system, devices);
                result = 0;
            } else if (channel == 3) {
                set_door(on, devices);
                result = 0;
            }
            if (channel < 8) binary_outputs_[channel] = int_value;
            return integer(result);
        }
        case operation::nsb: return text(channel < 4 ? binary_output_names[channel] : "");
        case operation::rsb: return integer(channel < 9 ? binary_outputs_[channel] : no_channel);
        }
        return {};
    };

    switch (p.how) {
    case form::direct:
        if (p.arguments == "none") return run(p.op, 0, 0, 0);
        if (p.arguments == "i") return run(p.op, int_at(0), 0, 0);
        if (p.arguments == "ii") return run(p.op, int_at(0), int_at(1), 0);
        return run(p.op, int_at(0), 0, a.at(1).real_value);
    case form::doubled: {
        const auto index = to_index(a.at(0).real_value, how);
        if (!index) return p.result == result_kind::text ? text("") : real(no_channel);
        answer given;
        if (p.arguments == "d") given = run(p.op, *index, 0, 0);
        else if (p.op == operation::sad) given = run(p.op, *index, 0, a.at(1).real_value);
        else {
            const auto value = to_index(a.at(1).real_value, how);
            if (!value) return real(no_channel);
            given = run(p.op, *index, *value, 0);
        }
        if (given.kind == result_kind::int_) return real(given.integer);
        return given;
    }
    case form::single_constant: {
        // 77.77 to the nearest single, whatever rounding the caller has.
        constexpr uint32_t constant_bits = 0x429B8A3D;
        float constant;
        std::memcpy(&constant, &constant_bits, sizeof constant);
        return real(constant, false, result_kind::single);
    }
    case form::single_of: {
        const answer wide = p.op == operation::sad ? run(p.op, int_at(0), 0, a.at(1).single_value) : run(p.op, int_at(0), 0, 0);
        return real(narrowed(wide.real), false, result_kind::single);
    }
    case form::address_real: {
        answer cell;
        if (p.op == operation::ead) cell = run(p.op, int_at(0), 0, 0);
        else if (const auto *value = reinterpret_cast<const double *>(a.at(1).word)) cell = run(p.op, int_at(0), 0, *value);
        else cell = real(no_channel);  // no value to read: nothing written
        cell.kind = result_kind::real_ptr;
        return cell;
    }
    case form::address_single: {
        const answer wide = run(p.op, int_at(0), 0, 0);
        return real(narrowed(wide.real), wide.clock_reading, result_kind::single_ptr);
    }
    case form::dummy: return run(p.op, 0, 0, 0);
    }
    return {};
}

}  // namespace model
