#include <windows.h>

#include "../devices/devices.h"

namespace {

bool query_nt_platform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

// Never refuses a load or an attach: the module has nothing that can fail.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) is_nt_platform = query_nt_platform();
    return TRUE;
}
