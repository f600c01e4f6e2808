// read_script on any text, its lines parted at LF. The scripts are only read, never run:
// they could name any file. A tree it accepts must hold together for the run that walks it
// (children in range, every node reached once, labels where they say); a refusal must name
// a line of the script and say something.
#include <string>
#include <vector>

#include <stdlib.h>

#include "fuzz/harness.h"
#include "host/batch/script.h"

namespace {

std::vector<std::u16string> split_lines(const uint8_t* data, size_t size) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != '\n') continue;
        if (i < size || start < size) lines.push_back(fuzz_text_all(data + start, i - start));
        start = i + 1;
    }
    return lines;
}

// Returns what is wrong with the tree, or nothing. Walks with its own stack and marks, so
// that a cycle is reported rather than followed for ever.
std::string tree_fault(const Script& s) {
    size_t n = s.nodes.size();
    if (s.top >= n) return "top " + std::to_string(s.top) + " outside " + std::to_string(n) + " nodes";
    for (size_t i = 0; i < n; ++i)
        for (size_t c : s.nodes[i].children)
            if (c >= n) return "node " + std::to_string(i) + " has child " + std::to_string(c);
    std::vector<bool> reached(n, false);
    std::vector<size_t> stack = {s.top};
    while (!stack.empty()) {
        size_t id = stack.back();
        stack.pop_back();
        if (reached[id]) return "node " + std::to_string(id) + " reached twice";
        reached[id] = true;
        for (size_t c : s.nodes[id].children) stack.push_back(c);
    }
    for (const Label& l : s.labels) {
        std::string which = "label " + utf8(l.name) + ": ";
        if (l.sequence >= n || s.nodes[l.sequence].kind != NODE_SEQUENCE) return which + "sequence not a sequence";
        const std::vector<size_t>& kids = s.nodes[l.sequence].children;
        if (l.index >= kids.size() || kids[l.index] != l.node) return which + "not at its index";
        if (s.nodes[l.node].kind != NODE_LABEL || s.nodes[l.node].text != l.name) return which + "node not the label";
        if (!reached[l.node]) return which + "outside the tree";
    }
    return "";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    harness_init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::u16string> lines = split_lines(data, size);
    Script script;
    ScriptFault fault;
    bool ok = read_script(lines, &script, &fault);
    std::string ctx = std::to_string(lines.size()) + " lines, first " + (lines.empty() ? "" : shown(lines[0]));
    if (ok) {
        std::string wrong = tree_fault(script);
        FUZZ_CHECK(wrong.empty(), ctx + "\n" + wrong);
        trace("accepted: " + std::to_string(script.nodes.size()) + " nodes, " + std::to_string(script.labels.size()) +
              " labels");
    } else {
        std::string said = "\nfault at line " + std::to_string(fault.line) + ": " + utf8(fault.message);
        FUZZ_CHECK(fault.line >= 1 && size_t(fault.line) <= lines.size(), ctx + said);
        FUZZ_CHECK(!fault.message.empty(), ctx + said);
        trace("refused, " + said.substr(1));
    }
    return 0;
}
