#include "host/batch/file_match.h"

#include "host/system.h"
#include "host/words.h"
#include "text/chars.h"

namespace {

char16_t fold(char16_t c, bool fold_case) { return fold_case ? text_upper(c) : c; }

// '*' any run of characters, '?' any one.
bool wildcard_match(const char16_t* pattern, const char16_t* name, bool fold_case) {
    const char16_t *star = nullptr, *resume = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == u'?' || (*pattern && fold(*pattern, fold_case) == fold(*name, fold_case))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*') ++pattern;
    return *pattern == 0;
}

bool before_nocase(const std::u16string& a, const std::u16string& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t k = 0; k < n; ++k) {
        char16_t x = text_upper(a[k]), y = text_upper(b[k]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

}  // namespace

void matching_files(const std::u16string& pattern, std::vector<std::u16string>* files) {
    if (!has_wildcard(pattern)) {
        if (system_path_kind(pattern) == PATH_FILE) files->push_back(pattern);
        return;
    }
    size_t cut = pattern.find_last_of(u"/\\");
    std::u16string folder = cut == std::u16string::npos ? u"" : pattern.substr(0, cut + 1);
    std::u16string name_pattern = pattern.substr(folder.size());
    if (has_wildcard(folder)) return;
    std::vector<FolderEntry> entries;
    std::u16string error;
    if (!system_list_folder(folder.empty() ? u"." : folder, &entries, &error)) return;
    std::vector<std::u16string> names;
    for (const FolderEntry& e : entries)
        if (!e.folder && wildcard_match(name_pattern.c_str(), e.name.c_str(), system_names_fold_case()))
            names.push_back(e.name);
    for (size_t i = 1; i < names.size(); ++i)  // insertion sort: folders hold few names
        for (size_t j = i; j > 0 && before_nocase(names[j], names[j - 1]); --j) names[j].swap(names[j - 1]);
    for (const std::u16string& n : names) files->push_back(folder + n);
}
