// plokvar-probe: tries the module by hand. It loads plokvar.dll as a host
// program does (LoadLibrary, then GetProcAddress by name) and runs commands
// against it, all in one process, so that what one command writes the next
// one reads back.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "probe.h"

using namespace probe;

namespace {

// A mistake on the command line: exit code 2.
struct usage_error {
    std::string message;
};
// The module would not load or lacks an export: exit code 1.
struct failure {
    std::string message;
};

// The four kinds of channel, with the exports that read and write them and,
// for the list, each side that names its own channels.
struct side {
    const char *name_export;
    const char *value_export;
};
struct kind_row {
    const char *name;
    const char *short_name;
    const char *label;
    const char *read_export;
    const char *write_export;  // none for an input
    side sides[2];
};
constexpr kind_row kinds[] = {
    // The real side reads the clock as seconds and as the date-time serial.
    {"analogue-input", "ai", "analogue input", "ead", nullptr, {{"nea", "ea"}, {"nead", "ead"}}},
    // Constants.
    {"binary-input", "bi", "binary input", "eb", nullptr, {{"neb", "eb"}, {}}},
    // A remembered value; the integer and real sides are recorded apart.
    {"analogue-output", "ao", "analogue output", "rsad", "sad", {{"nsa", "rsa"}, {"nsad", "rsad"}}},
    // Lock lights and CD tray; reads give the recorded value, not the device.
    {"binary-output", "bo", "binary output", "rsb", "sb", {{"nsb", "rsb"}, {}}},
};

// The list looks for channels by name among the first indexes of each kind:
// an index whose name is empty on a side has no channel on that side.
constexpr int32_t listed_indexes = 64;

constexpr char usage[] =
    "Usage: plokvar-probe [--dll PATH] COMMAND [+ COMMAND ...]\n"
    "\n"
    "Loads plokvar.dll, by default the one beside this program, as a host does,\n"
    "and runs the commands in turn in this one process, so that what one command\n"
    "writes the next one reads back.\n"
    "\n"
    "Commands:\n"
    "  list                    title, description, and every channel with its\n"
    "                          index, name and value or read-back\n"
    "  read KIND INDEX         reads a channel: ai through ead, bi eb, ao rsad, bo rsb\n"
    "  write KIND INDEX VALUE  writes an output: ao through sad (a real value),\n"
    "                          bo through sb (an int32 value)\n"
    "  call EXPORT [ARGS...]   calls any export by name with its own arguments\n"
    "  exports                 lists the exports, their conventions and arguments\n"
    "\n"
    "Kinds: analogue-input (ai), analogue-output (ao), binary-input (bi),\n"
    "binary-output (bo).\n"
    "Numbers: 2, -1, 2.75, 1e3, nan, inf; no leading '+', no spaces, int32 in range.\n"
    "Results: integers as they are, reals with the fewest digits that read back as\n"
    "the same value, texts in quotes. -777 is the module's answer for an index\n"
    "without a channel. A console shows the texts with their accents; a pipe or a\n"
    "file gets them in UTF-8.\n"
    "Writing binary outputs 0 to 3 switches the Caps Lock, Num Lock and Scroll Lock\n"
    "lights and opens or closes the CD tray.\n"
    "Exit code: 0; 1 when the DLL will not load or lacks an export; 2 for a mistake\n"
    "on the command line, in which case no command runs.\n"
    "\n"
    "Examples:\n"
    "  plokvar-probe list\n"
    "  plokvar-probe write ao 0 2.75 + read ao 0\n"
    "  plokvar-probe call stdsbdouble 2 1 + call rsb 2\n"
    "  plokvar-probe --dll ..\\other\\plokvar.dll call titre\n";

enum class action { list, exports, call };

struct command {
    action what;
    const export_row *row;
    argument_values values;
};

struct options {
    std::wstring dll;  // empty: beside the program
    bool help = false;
    std::vector<command> commands;
};

std::string quoted(const std::string &text) { return '"' + text + '"'; }

const kind_row &find_kind(const std::string &name) {
    for (const kind_row &kind : kinds)
        if (name == kind.name || name == kind.short_name) return kind;
    throw usage_error{"unknown kind " + quoted(name) +
                      "; the kinds are analogue-input (ai), analogue-output (ao), binary-input (bi), "
                      "binary-output (bo)"};
}

const export_row &find_row(const std::string &name) {
    if (const export_row *row = find_export(name)) return *row;
    throw usage_error{"unknown export " + quoted(name) + "; 'plokvar-probe exports' lists them"};
}

std::string signature(const export_row &row) {
    const int count = argument_count(row);
    if (count == 0) return "no arguments";
    std::string text;
    for (int position = 0; position < count; ++position) {
        if (position) text += ", ";
        text += std::string(argument_role(row, position)) + ": " + argument_type(row, position);
    }
    return text;
}

// The arguments of one export from the words given for them.
command call_of(const export_row &row, const std::vector<std::string> &words, const std::string &context) {
    const int count = argument_count(row);
    if (static_cast<int>(words.size()) != count)
        throw usage_error{context + ": " + row.name + " takes " +
                          (count == 0 ? std::string("no arguments")
                                      : std::to_string(count) + (count == 1 ? " argument" : " arguments") + " (" +
                                            signature(row) + ")") +
                          ", " + std::to_string(words.size()) + " given"};
    command c{action::call, &row, {}};
    for (int position = 0; position < count; ++position) {
        const std::string &word = words[static_cast<size_t>(position)];
        bool parsed = false;
        switch (row.arguments[position]) {
        case 'i': parsed = parse_int32(word, c.values.ints[position]); break;
        case 'd':
        case 'p': parsed = parse_real(word, c.values.reals[position]); break;
        case 'f': parsed = parse_single(word, c.values.singles[position]); break;
        }
        if (!parsed) {
            const std::string type = argument_type(row, position);
            const char *range = row.arguments[position] == 'i' ? " from -2147483648 to 2147483647" : "";
            throw usage_error{context + ": the " + argument_role(row, position) + " of " + row.name +
                              " must be " + (type == "int32" ? "an " : "a ") + type + range + ", not " +
                              quoted(word)};
        }
    }
    return c;
}

command parse_command(const std::vector<std::string> &words) {
    const std::string &verb = words[0];
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (verb == "list" || verb == "exports") {
        if (!rest.empty()) throw usage_error{verb + " takes no arguments, not " + quoted(rest[0])};
        return {verb == "list" ? action::list : action::exports, nullptr, {}};
    }
    if (verb == "read" || verb == "write") {
        const size_t expected = verb == "read" ? 2 : 3;
        if (rest.size() != expected)
            throw usage_error{verb + (verb == "read" ? " takes KIND INDEX" : " takes KIND INDEX VALUE") + ", " +
                              std::to_string(rest.size()) + (rest.size() == 1 ? " word" : " words") + " given"};
        const kind_row &kind = find_kind(rest[0]);
        const char *name = verb == "read" ? kind.read_export : kind.write_export;
        if (!name) throw usage_error{std::string(kind.label) + "s cannot be written"};
        return call_of(find_row(name), {rest.begin() + 1, rest.end()}, verb + " " + kind.name);
    }
    if (verb == "call") {
        if (rest.empty()) throw usage_error{"call takes the name of an export"};
        return call_of(find_row(rest[0]), {rest.begin() + 1, rest.end()}, "call");
    }
    throw usage_error{"unknown command " + quoted(verb) + "; 'plokvar-probe --help' lists the commands"};
}

options parse_options(const std::vector<std::string> &arguments) {
    options o;
    auto is_help = [](const std::string &a) { return a == "--help" || a == "-h" || a == "/?"; };
    if (std::ranges::any_of(arguments, is_help)) {
        o.help = true;
        return o;
    }
    size_t next = 0;
    while (next < arguments.size() && arguments[next].starts_with("--")) {
        if (arguments[next] != "--dll") throw usage_error{"unknown option " + quoted(arguments[next])};
        if (next + 1 == arguments.size()) throw usage_error{"--dll takes the path of a DLL"};
        o.dll = wide_from_utf8(arguments[next + 1]);
        next += 2;
    }
    if (next == arguments.size()) throw usage_error{"no command given; 'plokvar-probe --help' lists the commands"};
    // Commands follow one another, each after a "+".
    std::vector<std::string> words;
    for (; next <= arguments.size(); ++next) {
        if (next < arguments.size() && arguments[next] != "+") {
            words.push_back(arguments[next]);
            continue;
        }
        if (words.empty()) throw usage_error{"a \"+\" with no command on one side"};
        o.commands.push_back(parse_command(words));
        words.clear();
    }
    return o;
}

std::string windows_error(DWORD error) {
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ' ||
                                message.back() == L'.'))
        message.pop_back();
    if (message.empty()) message = L"unknown error";
    return utf8_from_wide(message) + " (error " + std::to_string(error) + ")";
}

std::wstring module_path(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    return path;
}

std::wstring beside_program(const wchar_t *file) {
    std::wstring path = module_path(nullptr);
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + file;
}

std::wstring full_path(const std::wstring &path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0) return path;
    std::wstring full(length, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), length, full.data(), nullptr));
    return full;
}

std::string module_file(HMODULE module) { return utf8_from_wide(module_path(module)); }

HMODULE load(const std::wstring &requested) {
    const std::wstring path = requested.empty() ? beside_program(L"plokvar.dll") : full_path(requested);
    // The module's own imports are looked for beside it first, as for a
    // host that keeps its modules in a folder of their own.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) throw failure{"cannot load " + utf8_from_wide(path) + ": " + windows_error(GetLastError())};
    return module;
}

result run(HMODULE module, const export_row &row, const argument_values &values) {
    FARPROC function = GetProcAddress(module, row.name);
    if (!function) throw failure{module_file(module) + " does not export " + row.name};
    return row.invoke(function, values);
}

result run(HMODULE module, const char *name, int32_t index) {
    argument_values values{};
    values.ints[0] = index;
    return run(module, *find_export(name), values);
}

std::string text_of(const result &r) { return utf8_from_cp1252(r.text_value ? r.text_value : ""); }

using table = std::vector<std::vector<std::string>>;

// Columns padded to their widest cell, two spaces apart.
std::string aligned(const table &rows) {
    std::vector<size_t> widths;
    for (const auto &row : rows)
        for (size_t column = 0; column < row.size(); ++column) {
            if (widths.size() <= column) widths.push_back(0);
            widths[column] = std::max(widths[column], display_width(row[column]));
        }
    std::string text;
    for (const auto &row : rows) {
        std::string line;
        for (size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            if (column + 1 < row.size()) line.append(widths[column] - display_width(row[column]) + 2, ' ');
        }
        text += line + '\n';
    }
    return text;
}

std::string list(HMODULE module) {
    std::string text = aligned({
        {"Module", module_file(module)},
        {"Title", text_of(run(module, "titre", 0))},
        {"Description", text_of(run(module, "detail", 0))},
    });
    table channels = {{"Kind", "Index", "Name", "Value", "From"}};
    for (const kind_row &kind : kinds)
        for (int32_t index = 0; index < listed_indexes; ++index)
            for (const side &s : kind.sides) {
                if (!s.name_export) continue;
                const std::string name = text_of(run(module, s.name_export, index));
                if (name.empty()) continue;
                channels.push_back({kind.label, std::to_string(index), name,
                                    format_result(run(module, s.value_export, index)), s.value_export});
            }
    return text + '\n' + aligned(channels);
}

std::string exports() {
    table rows = {{"Ordinal", "Name", "Convention", "Arguments", "Result"}};
    for (const export_row &row : export_rows())
        rows.push_back({std::to_string(row.ordinal), row.name, row.convention, signature(row), row.returns});
    return aligned(rows);
}

void print(const std::string &text) { write_text(GetStdHandle(STD_OUTPUT_HANDLE), text); }

void complain(const std::string &message) {
    write_text(GetStdHandle(STD_ERROR_HANDLE), "plokvar-probe: " + message + "\n");
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    // A DLL that will not load is reported here, not in a message box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    std::vector<std::string> arguments;
    for (int n = 1; n < argc; ++n) arguments.push_back(utf8_from_wide(argv[n]));
    try {
        const options o = parse_options(arguments);
        if (o.help) {
            print(usage);
            return 0;
        }
        HMODULE module = nullptr;
        for (const command &c : o.commands) {
            if (c.what == action::exports) {
                print(exports());
                continue;
            }
            if (!module) module = load(o.dll);
            print(c.what == action::list ? list(module) : format_result(run(module, *c.row, c.values)) + '\n');
        }
        return 0;
    } catch (const usage_error &e) {
        complain(e.message);
        return 2;
    } catch (const failure &e) {
        complain(e.message);
        return 1;
    }
}
