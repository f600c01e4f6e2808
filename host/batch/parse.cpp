// Reading a batch script into its tree, and the check that refuses, before anything runs,
// what cannot run as written.
#include <limits.h>

#include "host/batch/commands.h"
#include "host/batch/expand.h"
#include "host/batch/functions.h"
#include "host/batch/limits.h"
#include "host/batch/script.h"
#include "host/batch/variables.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

enum BlockEnd { END_FILE, END_GROUP, END_DO, END_IFF };

bool is_word_end(char16_t c) {
    return text_is_space(c) || c == u'&' || c == u'(' || c == u')' || c == u'|' || c == u'<' || c == u'>';
}

// The references to variable functions in a text, checked as the shell will expand them:
// each name served, each bracket closed, the nesting within the shell's limit.
struct FunctionScan {
    const std::vector<std::u16string>& names_set;  // by SET, earlier in the script
    std::u16string message;

    bool fail(const std::u16string& m) {
        message = m;
        return false;
    }

    // The ']' that closes the bracket opened just before from, or npos.
    static size_t closing_bracket(const std::u16string& s, size_t from) {
        int nest = 1;
        for (size_t k = from; k < s.size(); ++k) {
            if (s[k] == u'[') ++nest;
            else if (s[k] == u']' && --nest == 0) return k;
        }
        return std::u16string::npos;
    }

    // A pure call with nothing to expand is run as the run would run it: its stop, if any,
    // is the run's own.
    static std::u16string checked_call(const HostFunction& f, const std::u16string& args) {
        std::u16string refused = f.check ? f.check(args) : u"";
        if (!refused.empty() || !f.pure || has_expansion(args)) return refused;
        std::u16string result;
        return f.run(args, &result) == FUNCTION_STOP ? result : u"";
    }

    bool function_at(const std::u16string& s, size_t* i, int depth) {
        size_t percent = *i, k = *i + 2;
        while (k < s.size() && shell_is_name_char(s[k])) ++k;
        std::u16string name = s.substr(percent + 2, k - percent - 2);
        if (name.empty() || k == s.size() || s[k] != u'[') {
            *i = percent + 1;  // no call: the text stands as it is
            return true;
        }
        if (depth >= SHELL_FUNCTION_NESTING_MAX) return fail(text_of(MSG_TOO_DEEP, quoted_part(s, percent)));
        size_t close = closing_bracket(s, k + 1);
        if (close == std::u16string::npos) return fail(text_of(MSG_UNCLOSED_BRACKET, quoted_part(s, percent)));
        std::u16string args = s.substr(k + 1, close - k - 1);
        const HostFunction* f = host_function(name);
        if (!f && !plugin_has_function(name)) return fail(text_of(MSG_UNKNOWN_FUNCTION, name));
        if (f) {
            std::u16string refused = checked_call(*f, args);
            if (!refused.empty()) return fail(refused);
        }
        if (!level(args, depth + 1)) return false;
        *i = close + 1;
        return true;
    }

    // A name the script sets itself, or that it is handed from outside, is its own variable.
    bool served_or_own(const std::u16string& name) {
        if (!variable_unserved(name)) return true;
        for (const std::u16string& n : names_set)
            if (equal_nocase(n, name)) return true;
        std::u16string value;
        return variable_value(name, &value) || fail(text_of(MSG_VARIABLE_NOT_SERVED, name));
    }

    bool level(const std::u16string& s, int depth) {
        for (size_t i = 0; i < s.size();) {
            if (s[i] != u'%' || i + 1 == s.size()) {
                ++i;
            } else if (s[i + 1] == u'%') {
                i += 2;
            } else if (s[i + 1] == u'@') {
                if (!function_at(s, &i, depth)) return false;
            } else if (shell_is_name_char(s[i + 1])) {
                size_t k = i + 1;
                while (k < s.size() && shell_is_name_char(s[k])) ++k;
                if (!served_or_own(s.substr(i + 1, k - i - 1))) return false;
                i = k;
            } else if (s[i + 1] == u'~') {
                bool taken;
                size_t n = shell_argument_part_length(s.c_str() + i, &taken);
                if (n > 0 && !taken) return fail(text_of(MSG_PATH_MODIFIER, quoted_part(s, i)));
                i += n > 0 ? n : 1;
            } else if (s[i + 1] == u'[') {
                size_t close = s.find(u']', i + 2);
                if (close == std::u16string::npos) return fail(text_of(MSG_UNCLOSED_BRACKET, quoted_part(s, i)));
                i = close + 1;
            } else {
                ++i;
            }
        }
        return true;
    }
};

struct Parser {
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
        FunctionScan scan{names_set, u""};
        return scan.level(text, 0) || fail(scan.message);
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
    bool parse_redirection(Node& command);
    bool check_command(size_t id);
};

// A block's lines up to the word that ends it, which is left at pos for the caller.
size_t Parser::parse_block(BlockEnd end, bool resume) {
    size_t sequence = new_node(NODE_SEQUENCE);
    for (; li < lines.size() && !failed; ++li) {
        if (!resume) pos = 0;
        resume = false;
        if (!check_line_length()) break;
        bool block_ends = false;
        if (!parse_line_into(sequence, end, &block_ends)) break;
        if (block_ends) return sequence;
    }
    return sequence;
}

const char16_t* const closing_words[] = {u"enddo", u"endiff", u"else", u"elseiff"};

// One line of a block: a label, a DO or IFF block, or commands.
bool Parser::parse_line_into(size_t sequence, BlockEnd end, bool* block_ends) {
    skip_blanks_and_echo_off();
    if (at_end()) return true;
    if (at() == u':') {
        parse_label(sequence);
        return true;
    }
    if (at() == u')') {
        if (end == END_GROUP) return *block_ends = true;
        return fail(MSG_CLOSE_WITHOUT_OPEN);
    }
    std::u16string w = word();
    for (const char16_t* closing : closing_words) {
        if (w != closing) continue;
        if ((end == END_DO && w == u"enddo") || (end == END_IFF && w != u"enddo")) return *block_ends = true;
        return fail(text_of(w == u"enddo" ? MSG_WITHOUT_DO : MSG_WITHOUT_IFF, w));
    }
    size_t child = w == u"iff" ? parse_iff() : w == u"do" ? parse_do() : parse_list(false);
    if (failed) return false;
    node(sequence).children.push_back(child);
    skip_blanks();
    if (!at_end())
        return fail(text_of(at() == u')' ? MSG_CLOSE_WITHOUT_OPEN : MSG_UNEXPECTED_TEXT, line().substr(pos)));
    return true;
}

// ":name" or ":name [a b]": the first label of a name counts.
void Parser::parse_label(size_t sequence) {
    size_t id = new_node(NODE_LABEL);
    std::u16string rest = line().substr(pos + 1), name, params;
    split_word(rest, &name, &params);
    node(id).text = name;
    params = trim(params);
    if (params.size() >= 2 && params.front() == u'[' && params.back() == u']') {
        std::u16string list = params.substr(1, params.size() - 2), p;
        while (split_word(list, &p, &list), !p.empty()) node(id).parameters.push_back(p);
    }
    Node& seq = node(sequence);
    if (!name.empty() && !find_label(script, name))
        script.labels.push_back(Label{name, sequence, seq.children.size(), id});
    seq.children.push_back(id);
    pos = line().size();
}

// Commands joined by '&'.
size_t Parser::parse_list(bool in_group) {
    std::vector<size_t> items;
    for (;;) {
        size_t item = parse_command(in_group);
        if (failed) return item;
        items.push_back(item);
        skip_blanks();
        if (at() != u'&') break;
        if (pos + 1 < line().size() && line()[pos + 1] == u'&') return fail(text_of(MSG_NOT_TAKEN, u"&&")), item;
        ++pos;
    }
    if (items.size() == 1) return items[0];
    size_t list = new_node(NODE_SEQUENCE);
    node(list).children = items;
    return list;
}

size_t Parser::parse_command(bool in_group) {
    skip_blanks_and_echo_off();
    if (at_end() || at() == u'&' || (in_group && at() == u')')) return fail(MSG_MISSING_COMMAND), 0;
    if (at() == u'(') return parse_group(in_group);
    std::u16string w = word();
    if (w == u"rem") {
        pos = line().size();
        return new_node(NODE_SEQUENCE);
    }
    if (w == u"if") return parse_if(in_group);
    if (w == u"iff" || w == u"do" || w == u"then") return fail(text_of(MSG_BEGINS_A_LINE, w)), 0;
    for (const char16_t* closing : closing_words)
        if (w == closing) return fail(text_of(MSG_BEGINS_A_LINE, w)), 0;
    return parse_simple(in_group);
}

// "( commands )" on one line, or "(" at a line's end, lines, and ")" where a command would start.
size_t Parser::parse_group(bool in_group) {
    int opened = int(li + 1);
    if (!enter_block()) return 0;
    ++pos;
    skip_blanks();
    size_t group;
    if (at_end()) {
        ++li;
        group = parse_block(END_GROUP, false);
        if (failed) return group;
        if (li >= lines.size()) return fail_at(opened, MSG_OPEN_WITHOUT_CLOSE), group;
    } else {
        group = parse_list(true);
        if (failed) return group;
        skip_blanks();
        if (at() != u')') return fail_at(opened, MSG_OPEN_WITHOUT_CLOSE), group;
    }
    ++pos;
    --blocks;
    (void)in_group;
    return group;
}

size_t Parser::parse_if(bool in_group) {
    if (++ifs > MAX_IF_NESTING) return fail(MSG_IF_TOO_DEEP), 0;
    size_t id = new_node(NODE_IF);
    pos += 2;
    skip_blanks();
    std::u16string message;
    Condition condition;
    if (!parse_condition(line(), &pos, &condition, &message)) return fail(message), id;
    if (!checked_condition(condition)) return id;
    node(id).condition = condition;
    skip_blanks();
    if (at_end()) return fail(MSG_IF_SYNTAX), id;
    bool group = at() == u'(';
    size_t then = group ? parse_group(in_group) : parse_list(in_group);
    if (failed) return id;
    node(id).children.push_back(then);
    skip_blanks();
    if (group && take(u"else")) {
        if (at_end()) return fail(MSG_MISSING_COMMAND), id;
        size_t otherwise = at() == u'(' ? parse_group(in_group) : parse_list(in_group);
        if (failed) return id;
        node(id).children.push_back(otherwise);
    }
    --ifs;
    return id;
}

bool Parser::parse_iff_condition(Condition* condition) {
    skip_blanks();
    std::u16string message;
    if (!parse_condition(line(), &pos, condition, &message)) return fail(message);
    skip_blanks();
    if (!take(u"then")) return fail(MSG_IFF_SYNTAX);
    return checked_condition(*condition);
}

// IFF condition THEN ... [ELSEIFF condition THEN ...] [ELSE ...] ENDIFF; what follows
// THEN or ELSE on its line is the branch's first line.
size_t Parser::parse_iff() {
    int opened = int(li + 1);
    size_t id = new_node(NODE_IFF);
    if (!enter_block()) return id;
    pos += 3;
    Condition condition;
    if (!parse_iff_condition(&condition)) return id;
    bool had_else = false;
    for (;;) {
        size_t body = parse_block(END_IFF, true);
        if (failed) return id;
        node(id).branches.push_back(condition);
        node(id).children.push_back(body);
        if (li >= lines.size()) return fail_not_closed(opened, last_iff, u"IFF", u"ENDIFF"), id;
        if (take(u"endiff")) {
            last_iff = Closed{opened, int(li + 1)};
            break;
        }
        if (had_else) return fail(MSG_AFTER_ELSE), id;
        condition = Condition();
        if (take(u"elseiff")) {
            if (!parse_iff_condition(&condition)) return id;
        } else {
            take(u"else");
            had_else = true;
        }
    }
    --blocks;
    return id;
}

size_t Parser::parse_do() {
    int opened = int(li + 1);
    size_t id = new_node(NODE_DO);
    if (!enter_block()) return id;
    pos += 2;
    skip_blanks();
    DoHead head;
    if (!parse_do_head(&head)) return id;
    node(id).head = head;
    ++li;
    ++loops;
    size_t body = parse_block(END_DO, false);
    --loops;
    if (failed) return id;
    node(id).children.push_back(body);
    if (li >= lines.size()) return fail_not_closed(opened, last_do, u"DO", u"ENDDO"), id;
    take(u"enddo");
    last_do = Closed{opened, int(li + 1)};
    --blocks;
    return id;
}

bool equal_word(const std::u16string& w, const char16_t* keyword) { return equal_nocase(w, keyword); }

// The text after the nth word of s (the words of a DO head).
std::u16string text_after_words(const std::u16string& s, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n; ++k) {
        skip_blanks(s, &i);
        i = word_end(s, i, true);
    }
    skip_blanks(s, &i);
    return s.substr(i);
}

// "var = start TO end [BY step]", the blanks around '=' optional.
bool parse_range(const std::vector<std::u16string>& written, DoHead* head) {
    // The words again with '=' standing alone.
    std::vector<std::u16string> w;
    for (const std::u16string& word : written) {
        size_t eq = w.size() < 2 ? word.find(u'=') : std::u16string::npos;
        if (eq == std::u16string::npos) {
            w.push_back(word);
            continue;
        }
        if (eq > 0) w.push_back(word.substr(0, eq));
        w.push_back(std::u16string(1, u'='));
        if (eq + 1 < word.size()) w.push_back(word.substr(eq + 1));
    }
    bool fits = w.size() >= 5 && w[1] == u"=" && equal_word(w[3], u"to") && !w[0].empty();
    if (fits && w.size() == 7) fits = equal_word(w[5], u"by");
    else if (fits) fits = w.size() == 5;
    if (!fits) return false;
    head->form = DO_RANGE;
    head->variable = w[0];
    head->first = w[2];
    head->last = w[4];
    head->step = w.size() == 7 ? w[6] : u"";
    return true;
}

bool Parser::parse_do_head(DoHead* head) {
    std::u16string text = line().substr(pos);
    std::vector<std::u16string> w = words_of(text, true);
    std::u16string refused = text_of(MSG_DO_FORM, trim(text));
    if (w.empty()) return fail(refused);
    bool fits = true;
    if (equal_word(w[0], u"forever")) {
        head->form = DO_FOREVER;
        fits = w.size() == 1;
    } else if (equal_word(w[0], u"while") || equal_word(w[0], u"until")) {
        head->form = equal_word(w[0], u"while") ? DO_WHILE : DO_UNTIL;
        std::u16string message;
        pos += w[0].size();
        skip_blanks();
        if (!parse_condition(line(), &pos, &head->condition, &message)) return fail(message);
        skip_blanks();
        fits = at_end();
    } else if (w.size() >= 2 && equal_word(w[1], u"in")) {
        head->variable = w[0];
        bool literal = w.size() >= 3 && equal_word(w[2], u"/l");
        head->form = literal ? DO_WORDS : DO_FILES;
        head->first = text_after_words(text, literal ? 3 : 2);
    } else if (w.size() == 1 && w[0].find(u'=') == std::u16string::npos) {
        head->form = DO_COUNT;
        head->first = w[0];
        int64_t n;
        fits = has_expansion(w[0]) || parse_number(w[0], &n);
    } else {
        fits = parse_range(w, head);
        int64_t step;
        if (fits && !head->step.empty() && !has_expansion(head->step) && parse_number(head->step, &step) && step == 0)
            return fail(MSG_DO_STEP_ZERO);
    }
    if (!fits) return fail(refused);
    for (const std::u16string* t : {&head->first, &head->last, &head->step})
        if (!checked_text(*t)) return false;
    if (!checked_condition(head->condition)) return false;
    pos = line().size();
    return true;
}

// A command up to the '&' that ends it, a group's ')' (in a one-line group), or the line's
// end. Quotes and a function's brackets hold what would be syntax; '^' takes the next
// character as it stands.
size_t Parser::parse_simple(bool in_group) {
    size_t id = new_node(NODE_COMMAND);
    const std::u16string& s = line();
    std::u16string text;
    bool quoted = false;
    int brackets = 0, parens = 0;
    while (pos < s.size() && !failed) {
        char16_t c = s[pos];
        if (quoted || brackets > 0) {
            if (quoted && c == u'"') quoted = false;
            else if (brackets > 0 && c == u'[') ++brackets;
            else if (brackets > 0 && c == u']') --brackets;
            text += c;
            ++pos;
            continue;
        }
        if (c == u'^' && pos + 1 < s.size()) {
            text += s[pos + 1];
            pos += 2;
            continue;
        }
        if (c == u'&') break;
        if (c == u'|') return fail(text_of(MSG_NOT_TAKEN, u"| (a pipe)")), id;
        if (c == u'<') return fail(text_of(MSG_NOT_TAKEN, u"< (input redirection)")), id;
        bool stream_two =
            c == u'2' && pos + 1 < s.size() && s[pos + 1] == u'>' && (text.empty() || text_is_space(text.back()));
        if (c == u'>' || stream_two) {
            if (!parse_redirection(node(id))) return id;
            continue;
        }
        if (in_group && c == u')' && parens-- == 0) break;
        if (in_group && c == u'(') ++parens;
        if (c == u'"') quoted = true;
        if (c == u'%' && pos + 1 < s.size()) {
            // A reference's brackets: %[NAME] and %@NAME[...]; "%%" is a plain '%'.
            size_t k = pos + 1;
            if (s[k] == u'%') {
                text += u"%%";
                pos += 2;
                continue;
            }
            if (s[k] == u'@')
                while (++k < s.size() && shell_is_name_char(s[k])) {
                }
            if (k < s.size() && s[k] == u'[') {
                text.append(s, pos, k + 1 - pos);
                pos = k + 1;
                brackets = 1;
                continue;
            }
        }
        text += c;
        ++pos;
    }
    if (failed) return id;
    // Blanks before a separator or a redirection are not the command's.
    while (!text.empty() && text_is_space(text.back()) && (pos < s.size() || !node(id).redirections.empty()))
        text.pop_back();
    node(id).text = text;
    check_command(id);
    return id;
}

// >, >>, 2>, 2>>, >& (both streams), 2>&1 and 1>&2, then the file's name.
bool Parser::parse_redirection(Node& command) {
    const std::u16string& s = line();
    int stream = 1;
    if (s[pos] == u'2') {
        stream = 2;
        ++pos;
    }
    ++pos;
    bool append = pos < s.size() && s[pos] == u'>';
    if (append) ++pos;
    bool both = false;
    if (pos < s.size() && s[pos] == u'&') {
        ++pos;
        char16_t other = stream == 2 ? u'1' : u'2';
        if (!append && pos < s.size() && s[pos] == other) {
            ++pos;
            command.redirections.push_back(Redirection{stream, false, 3 - stream, u""});
            return true;
        }
        both = true;
    }
    skip_blanks();
    size_t start = pos;
    bool quoted = false;
    while (pos < s.size() && (quoted || !is_word_end(s[pos]))) {
        if (s[pos] == u'"') quoted = !quoted;
        ++pos;
    }
    std::u16string target = s.substr(start, pos - start);
    if (target.size() >= 2 && target.front() == u'"' && target.back() == u'"')
        target = target.substr(1, target.size() - 2);
    if (target.empty()) return fail(MSG_MISSING_REDIRECT_FILE);
    if (!checked_text(target)) return false;
    command.redirections.push_back(Redirection{both ? 1 : stream, append, 0, target});
    if (both) command.redirections.push_back(Redirection{2, false, 1, u""});
    return true;
}

// The variable a SET names: "NAME=", "/a NAME=" or "/a NAME+=" (also -= and *=).
std::u16string assigned_name(const std::u16string& rest) {
    std::u16string first, after;
    split_word(rest, &first, &after);
    std::u16string text = equal_nocase(first, u"/a") ? after : rest;
    std::u16string name = text.substr(0, text.find(u'='));
    if (!name.empty() && (name.back() == u'+' || name.back() == u'-' || name.back() == u'*')) name.pop_back();
    return trim(name);
}

// The command's name and form, when they are written out; the functions it calls.
bool Parser::check_command(size_t id) {
    std::u16string name, rest;
    split_word(node(id).text, &name, &rest);
    if (!checked_text(node(id).text)) return false;
    if (endlocal_line == li + 1 && has_expansion(node(id).text)) return fail(MSG_ENDLOCAL_THEN_EXPANSION);
    if (name.empty() || has_expansion(name)) return true;
    const Command* command = find_command(name);
    if (!command && !plugin_has_command(name)) return fail(text_of(MSG_UNKNOWN_COMMAND, name));
    node(id).command = command;
    node(id).plugin_command = !command;
    if (!command) return true;
    if (command->jump == JUMP_LOOP && loops == 0) return fail(text_of(MSG_OUTSIDE_DO, name));
    if (command->check) {
        std::u16string refused = command->check(rest);
        if (!refused.empty()) return fail(refused);
    }
    if (equal_nocase(name, u"set")) names_set.push_back(assigned_name(rest));
    if (equal_nocase(name, u"endlocal")) endlocal_line = li + 1;
    return true;
}

// Whether the label's block encloses the node, so that a jump there leaves blocks and never
// enters one. path: the sequences from the file's own down to the node.
struct JumpCheck {
    const Script& script;
    ScriptFault& fault;
    std::vector<size_t> path;

    bool fail(const Node& n, const std::u16string& message) {
        fault.line = n.line;
        fault.message = message;
        return false;
    }

    bool check_jump(const Node& n) {
        std::u16string word, rest, label;
        split_word(n.text, &word, &rest);
        split_word(rest, &label, &rest);
        if (!label.empty() && label[0] == u':') label = label.substr(1);
        if (label.empty() || has_expansion(label)) return true;
        const Label* l = find_label(script, label);
        if (!l) return fail(n, text_of(MSG_LABEL_NOT_FOUND, label));
        if (n.command->jump == JUMP_GOSUB)
            return l->sequence == script.top || fail(n, text_of(MSG_GOSUB_INTO_BLOCK, label));
        for (size_t s : path)
            if (s == l->sequence) return true;
        return fail(n, text_of(MSG_GOTO_INTO_BLOCK, label));
    }

    bool walk(size_t id) {
        const Node& n = script.nodes[id];
        if (n.kind == NODE_COMMAND)
            return !n.command || n.command->jump == JUMP_NONE || n.command->jump == JUMP_LOOP || check_jump(n);
        bool sequence = n.kind == NODE_SEQUENCE;
        if (sequence) path.push_back(id);
        bool ok = true;
        for (size_t child : n.children) ok = ok && walk(child);
        if (sequence) path.pop_back();
        return ok;
    }
};

}  // namespace

const Label* find_label(const Script& script, const std::u16string& name) {
    for (const Label& l : script.labels)
        if (equal_nocase(l.name, name)) return &l;
    return nullptr;
}

bool read_script(const std::vector<std::u16string>& lines, Script* script, ScriptFault* fault) {
    script->nodes.clear();
    script->labels.clear();
    Parser parser{lines, *script, *fault};
    script->top = parser.parse_block(END_FILE, false);
    if (parser.failed) return false;
    JumpCheck jumps{*script, *fault, {}};
    return jumps.walk(script->top);
}
