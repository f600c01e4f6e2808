// The dynamic loader of each system, behind the four calls of loader.h.
#include "host/loader.h"

#include "host/system.h"

#if defined(_WIN32)
#include <windows.h>

bool library_load(const std::u16string& path, LoadedLibrary* lib, std::u16string* error) {
    // A plug-in is named by path, never searched for; its own imports (TakeCmd.dll) are
    // looked for beside it first, which needs the full path.
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(reinterpret_cast<const wchar_t*>(path.c_str()), 32768, full, nullptr);
    if (n == 0 || n >= 32768) {
        *error = system_error_text(n == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    HMODULE m = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!m) {
        *error = system_error_text(GetLastError());
        return false;
    }
    lib->module = m;
    return true;
}

void* library_symbol(const LoadedLibrary& lib, const char* name) {
    if (!lib.module) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib.module), name));
}

void library_unload(LoadedLibrary* lib) {
    if (lib->module) FreeLibrary(static_cast<HMODULE>(lib->module));
    lib->module = nullptr;
}

std::u16string library_default_path() {
    return system_executable_dir() + u"Bytehaul.dll";
}

#else
#include <dlfcn.h>

#include "text/utf.h"

bool library_load(const std::u16string& path, LoadedLibrary* lib, std::u16string* error) {
    std::string p = to_utf8(path);
    // A bare name would send dlopen searching the library path; a plug-in is named by path.
    if (p.find('/') == std::string::npos) p = "./" + p;
    void* m = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m) {
        const char* why = dlerror();
        *error = from_utf8(why ? why : "unknown reason");
        return false;
    }
    lib->module = m;
    return true;
}

void* library_symbol(const LoadedLibrary& lib, const char* name) {
    if (!lib.module) return nullptr;
    return dlsym(lib.module, name);
}

void library_unload(LoadedLibrary* lib) {
    if (lib->module) dlclose(lib->module);
    lib->module = nullptr;
}

std::u16string library_default_path() { return system_executable_dir() + u"Bytehaul.so"; }

#endif
