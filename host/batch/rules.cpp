#include "host/batch/rules.h"

#include "host/batch/expand.h"
#include "host/batch/limits.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/words.h"

const NumberRule EXIT_CODE = {0, MAX_EXIT_CODE, MSG_BAD_EXIT_CODE, true};
const NumberRule SHIFT_COUNT = {0, INT64_MAX, MSG_BAD_NUMBER, false};
const NumberRule RETURN_STATUS = {INT32_MIN, INT32_MAX, MSG_BAD_NUMBER, false};
const NumberRule LOOP_NUMBER = {INT64_MIN, INT64_MAX, MSG_BAD_NUMBER, false};

std::u16string number_fault(const NumberRule& rule, const std::u16string& text, int64_t* value) {
    std::u16string number = trim(text);
    if (parse_number(number, value) && *value >= rule.least && *value <= rule.most) return u"";
    if (rule.states_range) return text_of(rule.refusal, number_text(rule.least), number_text(rule.most), number);
    return text_of(rule.refusal, number);
}

std::u16string written_number_fault(const NumberRule& rule, const std::u16string& written) {
    std::u16string text = trim(written);
    int64_t value;
    if (text.empty() || has_expansion(text)) return u"";
    return number_fault(rule, text, &value);
}

std::u16string do_step_fault(const std::u16string& text, int64_t* step) {
    std::u16string fault = number_fault(LOOP_NUMBER, text, step);
    if (fault.empty() && *step == 0) return MSG_DO_STEP_ZERO;
    return fault;
}

std::u16string jump_label(const std::u16string& rest, std::u16string* after) {
    std::u16string label;
    split_word(rest, &label, after);
    if (!label.empty() && label[0] == u':') label = label.substr(1);
    return label;
}

const Label* jump_target(const Script& script, Jump jump, const std::u16string& label, const std::vector<size_t>& open,
                         size_t from, std::u16string* fault) {
    if (label.empty()) {
        *fault = MSG_MISSING_LABEL;
        return nullptr;
    }
    const Label* l = find_label(script, label);
    if (!l) {
        *fault = text_of(MSG_LABEL_NOT_FOUND, label);
        return nullptr;
    }
    if (jump == JUMP_GOSUB) {
        if (l->sequence == script.top) return l;
        *fault = text_of(MSG_GOSUB_INTO_BLOCK, label);
        return nullptr;
    }
    for (size_t k = from; k < open.size(); ++k)
        if (open[k] == l->sequence) return l;
    *fault = text_of(MSG_GOTO_INTO_BLOCK, label);
    return nullptr;
}
