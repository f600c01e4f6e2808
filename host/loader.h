// Loading the plug-in library and finding its exports: the host's only link to the
// system's dynamic loader.
#pragma once
#include <string>

struct LoadedLibrary {
    void* module;  // null when not loaded
};

// Loads the library at path. On failure returns false with the system's reason in error.
bool library_load(const std::u16string& path, LoadedLibrary* lib, std::u16string* error);
// The export of that name, or null.
void* library_symbol(const LoadedLibrary& lib, const char* name);
void library_unload(LoadedLibrary* lib);
// The plug-in built beside the running host: Bytehaul.dll on Windows, Bytehaul.so elsewhere.
std::u16string library_default_path();
