// Reading a batch script into its tree, and the check that refuses, before anything runs,
// what cannot run as written. A recursive descent, one function a rule; a line starts after
// its blanks and '@'s, and a block takes the lines that follow until the word that ends it:
//   file:        block                                    (ends at the end of the file)
//   block:       { line }                                 (the word that ends it is left)
//   line:        label | iff | do | list | nothing
//   label:       ':' NAME [ '[' PARAM { PARAM } ']' ]
//   list:        command { '&' command }
//   command:     group | REM text | if | simple
//   group:       '(' list ')' | '(' end-of-line block ')'
//   if:          IF condition ( group [ ELSE ( group | list ) ] | list )
//   iff:         IFF condition THEN block { ELSEIFF condition THEN block } [ ELSE block ] ENDIFF
//   do:          DO do-head end-of-line block ENDDO
//   do-head:     N | FOREVER | ( WHILE | UNTIL ) condition | VAR IN [ /L ] WORDS
//              | VAR = START TO END [ BY STEP ]
//   simple:      { text | redirection }                   (to '&', a one-line group's ')' or the end)
//   redirection: [ '2' ] ( '>' | '>>' ) ( '&' OTHER-STREAM | [ '&' ] FILE )
// condition is conditions.cpp's; in simple, quotes and a function's brackets hold what would
// be syntax, and '^' takes the next character as it stands.
#include <limits.h>

#include "host/batch/commands.h"
#include "host/batch/expand.h"
#include "host/batch/functions.h"
#include "host/batch/limits.h"
#include "host/batch/parser.h"
#include "host/batch/rules.h"
#include "host/batch/script.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

// block: { line }. The word that ends it is left at pos for the caller.
size_t ScriptParser::parse_block(BlockEnd end, bool resume) {
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

namespace {
const char16_t* const closing_words[] = {u"enddo", u"endiff", u"else", u"elseiff"};
}  // namespace

// line: label | iff | do | list | nothing
bool ScriptParser::parse_line_into(size_t sequence, BlockEnd end, bool* block_ends) {
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

// label: ':' NAME [ '[' PARAM { PARAM } ']' ]. The first label of a name counts.
void ScriptParser::parse_label(size_t sequence) {
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

// list: command { '&' command }
size_t ScriptParser::parse_list(bool in_group) {
    std::vector<size_t> items;
    for (;;) {
        size_t item = parse_command(in_group);
        if (failed) return item;
        items.push_back(item);
        skip_blanks();
        if (at() != u'&') break;
        if (scan_operator(line(), pos, false).kind == OPERATOR_AND_AND)
            return fail(text_of(MSG_NOT_TAKEN, u"&&")), item;
        ++pos;
    }
    if (items.size() == 1) return items[0];
    size_t list = new_node(NODE_SEQUENCE);
    node(list).children = items;
    return list;
}

// command: group | REM text | if | simple
size_t ScriptParser::parse_command(bool in_group) {
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

// group: '(' list ')' | '(' end-of-line block ')', the ')' where a command would start.
size_t ScriptParser::parse_group(bool in_group) {
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

// if: IF condition ( group [ ELSE ( group | list ) ] | list )
size_t ScriptParser::parse_if(bool in_group) {
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
        size_t otherwise = at() == u'(' ? parse_group(in_group) : parse_list(in_group);
        if (failed) return id;
        node(id).children.push_back(otherwise);
    }
    --ifs;
    return id;
}

// condition THEN, after IFF and ELSEIFF
bool ScriptParser::parse_iff_condition(Condition* condition) {
    skip_blanks();
    std::u16string message;
    if (!parse_condition(line(), &pos, condition, &message)) return fail(message);
    skip_blanks();
    if (!take(u"then")) return fail(MSG_IFF_SYNTAX);
    return checked_condition(*condition);
}

// iff: IFF condition THEN block { ELSEIFF condition THEN block } [ ELSE block ] ENDIFF.
// What follows THEN or ELSE on its line is the branch's first line.
size_t ScriptParser::parse_iff() {
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

// do: DO do-head end-of-line block ENDDO
size_t ScriptParser::parse_do() {
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

namespace {

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
        std::u16string word, rest, after;
        split_word(n.text, &word, &rest);
        std::u16string label = jump_label(rest, &after), refused;
        if (label.empty() || has_expansion(label)) return true;
        return jump_target(script, n.command->jump, label, path, 0, &refused) || fail(n, refused);
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
    ScriptParser parser{lines, *script, *fault};
    script->top = parser.parse_block(END_FILE, false);
    if (parser.failed) return false;
    JumpCheck jumps{*script, *fault, {}};
    return jumps.walk(script->top);
}
