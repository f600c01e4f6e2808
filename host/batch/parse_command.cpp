// The parts of a line that are words, not blocks: a DO's head, a simple command with its
// redirections, and the check of a command's name and form.
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
#include "host/scan.h"
#include "host/words.h"
#include "shell/shell_host.h"
#include "text/chars.h"

namespace {

bool equal_word(const std::u16string& w, const char16_t* keyword) { return equal_nocase(w, keyword); }

// The text after the nth word of s (the words of a DO head).
std::u16string text_after_words(const std::u16string& s, size_t n) {
    size_t i = 0;
    for (size_t k = 0; k < n; ++k) {
        skip_blanks(s, &i);
        i = scan_word_end(s, i, SCAN_WRITTEN);
    }
    skip_blanks(s, &i);
    return s.substr(i);
}

// VAR = START TO END [ BY STEP ], the blanks around '=' optional.
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

}  // namespace

// do-head: N | FOREVER | ( WHILE | UNTIL ) condition | VAR IN [ /L ] WORDS
//        | VAR = START TO END [ BY STEP ]
bool ScriptParser::parse_do_head(DoHead* head) {
    std::u16string text = line().substr(pos);
    std::vector<std::u16string> w = scan_words(text, SCAN_WRITTEN);
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
        fits = written_number_fault(LOOP_NUMBER, w[0]).empty();
    } else if ((fits = parse_range(w, head))) {
        std::u16string number = written_number_fault(LOOP_NUMBER, head->first);
        if (number.empty()) number = written_number_fault(LOOP_NUMBER, head->last);
        int64_t step;
        if (number.empty() && !head->step.empty() && !has_expansion(head->step))
            number = do_step_fault(head->step, &step);
        if (!number.empty()) return fail(number);
    }
    if (!fits) return fail(refused);
    for (const std::u16string* t : {&head->first, &head->last, &head->step})
        if (!checked_text(*t)) return false;
    if (!checked_condition(head->condition)) return false;
    pos = line().size();
    return true;
}

// simple: { text | redirection }, up to the '&' that ends it, a one-line group's ')' or the
// line's end. Quotes and a function's brackets hold what would be syntax; '^' takes the next
// character as it stands.
size_t ScriptParser::parse_simple(bool in_group) {
    size_t id = new_node(NODE_COMMAND);
    const std::u16string& s = line();
    std::u16string text;
    int parens = 0;
    while (pos < s.size() && !failed) {
        ScanUnit unit = scan_unit(s, pos, SCAN_WRITTEN);
        if (unit.kind != UNIT_CHAR) {
            text.append(s, pos, unit.end - pos);
            pos = unit.end;
            continue;
        }
        ScanOperator op = scan_operator(s, pos, text.empty() || text_is_space(text.back()));
        if (op.kind == OPERATOR_AND || op.kind == OPERATOR_AND_AND) break;
        if (op.kind == OPERATOR_PIPE) return fail(text_of(MSG_NOT_TAKEN, u"| (a pipe)")), id;
        if (op.kind == OPERATOR_INPUT) return fail(text_of(MSG_NOT_TAKEN, u"< (input redirection)")), id;
        if (op.kind == OPERATOR_REDIRECT) {
            if (!parse_redirection(op, node(id))) return id;
            continue;
        }
        if (in_group && op.kind == OPERATOR_CLOSE && parens-- == 0) break;
        if (in_group && op.kind == OPERATOR_OPEN) ++parens;
        text += s[op.end - 1];  // the character, or the one an escape takes
        pos = op.end;
    }
    if (failed) return id;
    // Blanks before a separator or a redirection are not the command's.
    while (!text.empty() && text_is_space(text.back()) && (pos < s.size() || !node(id).redirections.empty()))
        text.pop_back();
    node(id).text = text;
    check_command(id);
    return id;
}

// redirection: [ '2' ] ( '>' | '>>' ) ( '&' OTHER-STREAM | [ '&' ] FILE ): >, >>, 2>, 2>>,
// >& (both streams) and a file's name, or 2>&1 and >&2. The operator is read; the name follows.
bool ScriptParser::parse_redirection(const ScanOperator& op, Node& command) {
    pos = op.end;
    if (op.to_stream) {
        command.redirections.push_back(Redirection{op.stream, false, op.to_stream, u""});
        return true;
    }
    skip_blanks();
    const std::u16string& s = line();
    size_t start = pos;
    pos = scan_word_end(s, pos, SCAN_WRITTEN, is_word_end);
    std::u16string target = s.substr(start, pos - start);
    if (target.size() >= 2 && target.front() == u'"' && target.back() == u'"')
        target = target.substr(1, target.size() - 2);
    if (target.empty()) return fail(MSG_MISSING_REDIRECT_FILE);
    if (!checked_text(target)) return false;
    command.redirections.push_back(Redirection{op.both ? 1 : op.stream, op.append, 0, target});
    if (op.both) command.redirections.push_back(Redirection{2, false, 1, u""});
    return true;
}

namespace {

// The variable a SET names: "NAME=", "/a NAME=" or "/a NAME+=" (also -= and *=).
std::u16string assigned_name(const std::u16string& rest) {
    std::u16string first, after;
    split_word(rest, &first, &after);
    std::u16string text = equal_nocase(first, u"/a") ? after : rest;
    std::u16string name = text.substr(0, text.find(u'='));
    if (!name.empty() && (name.back() == u'+' || name.back() == u'-' || name.back() == u'*')) name.pop_back();
    return trim(name);
}

}  // namespace

// The command's name and form, when they are written out; the functions it calls.
bool ScriptParser::check_command(size_t id) {
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
