// The reader of a script's lines into its tree, shared by the files of its parts: blocks
// and lines (parse.cpp), and the words of one command or DO head (parse_command.cpp).
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "host/batch/conditions.h"
#include "host/batch/limits.h"
#include "host/batch/references.h"
#include "host/batch/script.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/scan.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

// What ends the block being read.
enum BlockEnd { END_FILE, END_GROUP, END_DO, END_IFF };

// The characters that end a word besides a blank: the syntax's.
inline bool is_word_end(char16_t c) {
    return text_is_space(c) || c == u'&' || c == u'(' || c == u')' || c == u'|' || c == u'<' || c == u'>';
}

struct ScriptParser {
    const std::vector<std::u16string>& lines;
    Script& script;
    ScriptFault& fault;
    size_t li = 0;   // the line being read
    size_t pos = 0;  // where in it
    int blocks = 0;  // groups, DOs and IFFs open
    int ifs = 0;     // IFs within one another on the line
    int loops = 0;   // DOs open around what is read
    bool failed = false;
    std::vector<std::u16string> names_set;
    size_t endlocal_line = 0;  // 1 + the line of the last ENDLOCAL, 0 before any
    // The block of each kind closed last: where it opened and the line that closed it, for the
    // message when an outer block finds no end of its own.
    struct Closed {
        int opened = 0, closed = 0;
    } last_do, last_iff;

    const std::u16string& line() const { return lines[li]; }
    bool at_end() const { return pos >= line().size(); }
    char16_t at() const { return at_end() ? 0 : line()[pos]; }

    bool fail_at(int line_number, const std::u16string& message) {
        if (!failed) {
            failed = true;
            fault.line = line_number;
            fault.message = message;
        }
        return false;
    }
    bool fail(const std::u16string& message) { return fail_at(int(li + 1), message); }

    size_t new_node(NodeKind kind) {
        script.nodes.push_back(Node());
        script.nodes.back().kind = kind;
        script.nodes.back().line = int(li + 1);
        return script.nodes.size() - 1;
    }
    Node& node(size_t id) { return script.nodes[id]; }

    void skip_blanks() { ::skip_blanks(line(), &pos); }
    void skip_blanks_and_echo_off() {
        for (;;) {
            skip_blanks();
            if (at() != u'@') return;
            ++pos;
        }
    }
    // The word at pos in lower case, up to a blank or a character of the syntax.
    std::u16string word() const {
        size_t e = pos;
        while (e < line().size() && !is_word_end(line()[e])) ++e;
        std::u16string w = line().substr(pos, e - pos);
        for (char16_t& c : w) c = text_lower(c);
        return w;
    }
    // Takes the keyword at pos when it stands there as a whole word.
    bool take(const char16_t* keyword) {
        std::u16string w = word();
        if (w != keyword) return false;
        pos += w.size();
        skip_blanks();
        return true;
    }

    bool checked_text(const std::u16string& text) {
        std::u16string refused = reference_fault(text, names_set);
        return refused.empty() || fail(refused);
    }

    bool enter_block() {
        if (++blocks <= MAX_BLOCK_NESTING) return true;
        return fail(text_of(MSG_BLOCKS_TOO_DEEP, std::to_string(MAX_BLOCK_NESTING)));
    }

    bool checked_condition(const Condition& condition) {
        std::vector<const std::u16string*> texts;
        condition_texts(condition, &texts);
        for (const std::u16string* t : texts)
            if (!checked_text(*t)) return false;
        return true;
    }

    // An outer block that reaches the end of the file: when an inner one closed after it
    // opened, the word that closed the inner one was likely meant for it.
    bool fail_not_closed(int opened, const Closed& inner, const char16_t* block, const char16_t* end) {
        if (inner.opened <= opened) return fail_at(opened, text_of(MSG_BLOCK_NOT_CLOSED, block, end));
        return fail_at(opened, text_of(MSG_BLOCK_NOT_CLOSED_INNER, block, end, end, std::to_string(inner.closed), block,
                                       std::to_string(inner.opened)));
    }

    bool check_line_length() {
        if (line().size() < SHELL_EXPAND_MAX) return true;
        return fail(text_of(MSG_LINE_TOO_LONG, std::to_string(SHELL_EXPAND_MAX - 1)));
    }

    size_t parse_block(BlockEnd end, bool resume);
    bool parse_line_into(size_t sequence, BlockEnd end, bool* block_ends);
    void parse_label(size_t sequence);
    size_t parse_list(bool in_group);
    size_t parse_command(bool in_group);
    size_t parse_group(bool in_group);
    size_t parse_if(bool in_group);
    size_t parse_iff();
    bool parse_iff_condition(Condition* condition);
    size_t parse_do();
    bool parse_do_head(DoHead* head);
    size_t parse_simple(bool in_group);
    bool parse_redirection(const ScanOperator& op, Node& command);
    bool check_command(size_t id);
};
