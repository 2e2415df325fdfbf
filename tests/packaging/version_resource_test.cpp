// The module's version resource, read back as Explorer and installers do.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host.h"

namespace {

std::vector<char> version_info() {
    const std::string path = host::module_path();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, data.data())) data.clear();
    return data;
}

const VS_FIXEDFILEINFO *fixed_info(std::vector<char> &data) {
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO *>(value);
}

// The string table named by the first translation, as Explorer picks it.
std::string string_table(std::vector<char> &data) {
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4) return {};
    const auto *translation = static_cast<const WORD *>(value);
    char name[64];
    std::snprintf(name, sizeof name, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    return name;
}

}  // namespace

TEST(VersionResource, FixedPartCarriesTheProjectVersion) {
    auto data = version_info();
    ASSERT_FALSE(data.empty()) << "no version resource in " << host::module_path();
    const VS_FIXEDFILEINFO *fixed = fixed_info(data);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(PLOKVAR_VERSION_MINOR, PLOKVAR_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, PLOKVAR_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched flag";
}

TEST(VersionResource, StringsNameTheModule) {
    auto data = version_info();
    ASSERT_FALSE(data.empty());
    const std::string table = string_table(data);
    ASSERT_FALSE(table.empty()) << "no translation";
    EXPECT_EQ(table, "\\StringFileInfo\\040904b0\\");
    struct {
        const char *key;
        const char *expected;  // nullptr: any non-empty text
    } cases[] = {
        {"OriginalFilename", "plokvar.dll"},
        {"InternalName", "plokvar"},
        {"ProductName", "plokvar"},
        {"FileVersion", PLOKVAR_VERSION},
        {"ProductVersion", PLOKVAR_VERSION},
        {"FileDescription", nullptr},
        {"LegalCopyright", nullptr},
    };
    for (const auto &c : cases) {
        void *value = nullptr;
        UINT length = 0;
        const std::string query = table + c.key;
        ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), &value, &length)) << c.key << " is missing";
        const std::string text(static_cast<const char *>(value));
        if (c.expected) {
            EXPECT_EQ(text, c.expected) << c.key;
        } else {
            EXPECT_FALSE(text.empty()) << c.key;
        }
    }
}
