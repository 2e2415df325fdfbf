// Numbers in and out, and text to the console, a pipe or a file.
#include <charconv>
#include <system_error>

#include "probe.h"

namespace probe {

namespace {

template <typename Number>
bool parse_whole(std::string_view text, Number &value) {
    Number parsed{};
    const char *end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || error != std::errc() || stop != end) return false;
    value = parsed;
    return true;
}

template <typename Number>
std::string format_shortest(Number value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::wstring wide_from(UINT code_page, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

// from_chars takes neither a leading "+" nor spaces, and reports a number
// out of range (2147483648, 1e999) as an error: what a strict reading wants.
bool parse_int32(std::string_view text, int32_t &value) { return parse_whole(text, value); }

bool parse_real(std::string_view text, double &value) { return parse_whole(text, value); }

bool parse_single(std::string_view text, float &value) { return parse_whole(text, value); }

std::string format_real(double value) { return format_shortest(value); }

std::string format_single(float value) { return format_shortest(value); }

std::string format_result(const result &r) {
    switch (r.type) {
    case result_type::int32: return std::to_string(r.int32_value);
    case result_type::real:
    case result_type::real_address: return format_real(r.real_value);
    case result_type::single:
    case result_type::single_address: return format_single(r.single_value);
    case result_type::text: return '"' + utf8_from_cp1252(r.text_value ? r.text_value : "") + '"';
    }
    return "?";
}

std::string utf8_from_cp1252(std::string_view bytes) { return utf8_from_wide(wide_from(1252, bytes)); }

std::string utf8_from_wide(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring wide_from_utf8(std::string_view text) { return wide_from(CP_UTF8, text); }

size_t display_width(std::string_view utf8) {
    size_t width = 0;
    for (unsigned char c : utf8) width += (c & 0xC0) != 0x80;
    return width;
}

// A console takes UTF-16 whatever its code page, so the module's accented
// texts show as they are. A pipe or a file gets UTF-8, what a terminal behind
// Wine, a script or a modern editor reads.
void write_text(HANDLE handle, std::string_view utf8) {
    DWORD mode, written;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = wide_from_utf8(utf8);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::string bytes;
    bytes.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    for (size_t done = 0; done < bytes.size(); done += written)
        if (!WriteFile(handle, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0)
            return;
}

}  // namespace probe
