// The splitter reads texts in blocks: a text that ends at the very end of readable memory,
// with the next page out of reach, must still split, whatever its alignment and length.
#include <gtest/gtest.h>

#include <string>

#include "args/split.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

// Two pages, the second unreadable; returns the start of the second.
char16_t* guarded_end(size_t* page) {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    *page = info.dwPageSize;
    char* base = static_cast<char*>(VirtualAlloc(nullptr, 2 * *page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    if (!base || !VirtualProtect(base + *page, *page, PAGE_NOACCESS, &old)) return nullptr;
#else
    *page = size_t(sysconf(_SC_PAGESIZE));
    char* base = static_cast<char*>(mmap(nullptr, 2 * *page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    if (base == MAP_FAILED || mprotect(base + *page, *page, PROT_NONE) != 0) return nullptr;
#endif
    return reinterpret_cast<char16_t*>(base + *page);
}

TEST(SplitPageEnd, TextsEndingAtAnUnreadablePage) {
    size_t page;
    char16_t* end = guarded_end(&page);
    ASSERT_NE(end, nullptr);
    const std::u16string words = u"0x10 #20 30, 40 \t \"5 0\" AB,cd ef";
    for (size_t length = 0; length < 300; ++length) {
        std::u16string text;
        while (text.size() < length) text += words;
        text.resize(length);
        char16_t* at = end - (length + 1);
        text.copy(at, length);
        at[length] = 0;
        const uint32_t option_sets[] = {SPLIT_ON_COMMAS, SPLIT_ON_WHITESPACE,
                                        SPLIT_ON_WHITESPACE | SPLIT_ON_COMMAS | SPLIT_UPPERCASE};
        for (uint32_t options : option_sets) {
            int32_t n = SplitArguments(at, options);
            ASSERT_GE(n, 0) << "length " << length;
            int32_t stored = 0;
            for (int32_t i = 0; i < n; ++i) stored += ArgumentTable.lengths[i];
            EXPECT_LE(size_t(stored), length) << "length " << length;
        }
    }
}

}  // namespace
