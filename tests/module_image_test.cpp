// The module's own PE image: export directory, imports, headers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>

#include "host.h"

namespace {

const BYTE *image() { return reinterpret_cast<const BYTE *>(host::module()); }

const IMAGE_NT_HEADERS &nt_headers() {
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image());
    return *reinterpret_cast<const IMAGE_NT_HEADERS *>(image() + dos->e_lfanew);
}

const IMAGE_EXPORT_DIRECTORY &export_directory() {
    const auto &entry = nt_headers().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    return *reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(image() + entry.VirtualAddress);
}

// Every exported name with its ordinal, read from the directory itself.
std::map<std::string, int> exported_names() {
    const auto &exports = export_directory();
    auto *names = reinterpret_cast<const DWORD *>(image() + exports.AddressOfNames);
    auto *ordinals = reinterpret_cast<const WORD *>(image() + exports.AddressOfNameOrdinals);
    std::map<std::string, int> result;
    for (DWORD n = 0; n < exports.NumberOfNames; ++n)
        result[reinterpret_cast<const char *>(image() + names[n])] = static_cast<int>(exports.Base + ordinals[n]);
    return result;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

}  // namespace

TEST(ExportDirectory, EveryTableRowIsExportedByNameWithItsOrdinal) {
    const auto names = exported_names();
    for (const auto &row : host::export_rows()) {
        auto found = names.find(row.name);
        ASSERT_NE(found, names.end()) << row.name << " is not exported";
        EXPECT_EQ(found->second, row.ordinal) << row.name;
        FARPROC by_name = GetProcAddress(host::module(), row.name);
        FARPROC by_ordinal = GetProcAddress(host::module(), MAKEINTRESOURCEA(row.ordinal));
        EXPECT_NE(by_name, nullptr) << row.name;
        EXPECT_EQ(by_name, by_ordinal) << row.name << " by ordinal " << row.ordinal;
    }
}

TEST(ExportDirectory, NothingElseIsExported) {
    const auto &exports = export_directory();
    EXPECT_EQ(exports.NumberOfNames, host::export_rows().size());
    EXPECT_EQ(exports.NumberOfFunctions, host::export_rows().size());
    EXPECT_EQ(exports.Base, 1u);
    std::set<std::string> table;
    for (const auto &row : host::export_rows()) table.insert(row.name);
    for (const auto &[name, ordinal] : exported_names()) EXPECT_TRUE(table.count(name)) << "unexpected export " << name;
}

TEST(ExportDirectory, DecoratedNamesDoNotResolve) {
    for (const char *name : {"_ea", "ea@4", "ea@0", "_ea@4", "_stdea@4", "stdea@4", "@ea@4", "_cea", "EA", "Ea"})
        EXPECT_EQ(GetProcAddress(host::module(), name), nullptr) << name;
}

TEST(ExportDirectory, NamesTheModule) {
    EXPECT_STREQ(reinterpret_cast<const char *>(image() + export_directory().Name), "plokvar.dll");
}

TEST(ImageHeaders, ThirtyTwoBitGuiDll) {
    const auto &nt = nt_headers();
    EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(nt.FileHeader.Characteristics & IMAGE_FILE_DLL);
    EXPECT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(ImageHeaders, ImportsOnlyTheSystemDlls) {
    const auto &entry = nt_headers().OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::set<std::string> imported;
    for (auto *import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image() + entry.VirtualAddress);
         import->Name; ++import)
        imported.insert(lower(reinterpret_cast<const char *>(image() + import->Name)));
    EXPECT_EQ(imported, (std::set<std::string>{"kernel32.dll", "user32.dll", "winmm.dll"}));
}

TEST(ImageHeaders, Hardened) {
    const auto &nt = nt_headers();
    EXPECT_TRUE(nt.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(nt.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    EXPECT_FALSE(nt.FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED);
    EXPECT_GT(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u);
    const auto *section = IMAGE_FIRST_SECTION(&nt);
    for (WORD n = 0; n < nt.FileHeader.NumberOfSections; ++n, ++section) {
        const bool writable = section->Characteristics & IMAGE_SCN_MEM_WRITE;
        const bool executable = section->Characteristics & IMAGE_SCN_MEM_EXECUTE;
        EXPECT_FALSE(writable && executable)
            << std::string(reinterpret_cast<const char *>(section->Name), 8) << " is writable and executable";
    }
}
