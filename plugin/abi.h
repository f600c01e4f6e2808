// The binary contract between the shell and the plug-in: the registration record, the
// result codes and the capacities of the shell's result buffer. The plug-in and every host
// that loads it include this one header.
#pragma once
#include <stdint.h>

// The registration record. Its layout is shared with the shell and must not change.
struct PluginInfo {
    const char16_t* name;
    const char16_t* author;
    const char16_t* email;
    const char16_t* web_page;
    const char16_t* description;
    const char16_t* functions;
    int32_t major;
    int32_t minor;
    int32_t build;
    // Room for fields the shell's own record may place after build; never written.
    int32_t reserved[15];
};

// The signatures of the entries, as a host looks them up.
typedef PluginInfo* (*PluginInfoEntry)(void);
typedef int (*PluginLifecycleEntry)(void);
typedef int (*PluginUsageEntry)(const char16_t* name, char16_t* buffer);
typedef int (*PluginHelpEntry)(const char16_t* name);
typedef int (*PluginFunctionEntry)(char16_t* buffer);  // variable functions and commands alike

// Result codes shared by the entries.
enum : int {
    RESULT_OK = 0,
    RESULT_REPORTED = -1,  // 0xFFFFFFFF: an error was written to standard error
    RESULT_NULL_ARGUMENT = 87,
};

// The characters of the argument texts the plug-in takes, its NUL included: the splitter's
// store holds no more, and a longer text is reported as an overflow.
enum : int32_t { MAX_ARG_LEN = 8192 };

// The capacities the shell's result buffer is taken to have.
enum : unsigned {
    RESULT_CAP = 1024,
    BYTEHAUL_RESULT_CAP = 16384,
    USAGE_CAP = RESULT_CAP,
};

// What the plug-in may write into the buffer of each entry that takes one, by the entry's
// exported name; a host sizes its buffers from this table alone.
struct EntryCapacity {
    const char* entry;
    unsigned capacity;
};
inline constexpr EntryCapacity ENTRY_CAPACITIES[] = {
    {"f_inthaul", RESULT_CAP},  {"f_bytehaul", BYTEHAUL_RESULT_CAP},
    {"f_bytestow", RESULT_CAP}, {"inc", RESULT_CAP},
    {"dec", RESULT_CAP},        {"Usage", USAGE_CAP},
};
