// A batch script read whole: the tree that the check builds and the run walks. The
// structure (separators, groups, blocks) is fixed from the text as written; every text in
// it is expanded only when the run reaches it.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

#include "host/batch/conditions.h"

struct Command;

enum NodeKind {
    NODE_COMMAND,   // one command: its text, its redirections
    NODE_SEQUENCE,  // nodes run in order: a file, a block's body, a group, a & list
    NODE_IF,        // condition, then the first child, else the second (when there is one)
    NODE_IFF,       // one branch a child (a sequence), each with its condition or none (ELSE)
    NODE_DO,        // the head, and the body as the one child
    NODE_LABEL,     // a label line; GOSUB's parameters
};

enum DoForm { DO_COUNT, DO_FOREVER, DO_RANGE, DO_WHILE, DO_UNTIL, DO_WORDS, DO_FILES };

struct Redirection {
    int stream;             // 1 standard output, 2 standard error
    bool append;            // >>
    int to_stream;          // 2>&1: the stream it becomes a copy of; 0 for a file
    std::u16string target;  // the file's name as written
};

struct DoHead {
    DoForm form;
    std::u16string variable;
    // DO_COUNT: the count; DO_RANGE: start, end, step (empty: 1); DO_WORDS and DO_FILES:
    // the list as written.
    std::u16string first, last, step;
    Condition condition;  // DO_WHILE, DO_UNTIL
};

struct Node {
    NodeKind kind;
    int line;  // 1-based line of the file where the node begins
    // NODE_COMMAND: the text as written, escapes taken; the command when its name is
    // written out (null when expansion makes it). NODE_LABEL: the label's name.
    std::u16string text;
    const Command* command = nullptr;
    bool plugin_command = false;  // the name, written out, is a command of the plug-in
    std::vector<Redirection> redirections;
    std::vector<std::u16string> parameters;  // NODE_LABEL
    Condition condition;                     // NODE_IF
    std::vector<Condition> branches;         // NODE_IFF: one for each child; empty terms for ELSE
    DoHead head;                             // NODE_DO
    std::vector<size_t> children;            // indexes into Script::nodes
};

struct Label {
    std::u16string name;
    size_t sequence;  // the sequence that holds it
    size_t index;     // its place among that sequence's children
    size_t node;
};

struct Script {
    std::u16string name;  // for messages: the file's path, or "standard input"
    std::vector<Node> nodes;
    size_t top = 0;  // the file's own sequence
    std::vector<Label> labels;
};

// The label of that name (the first of the name counts), or null.
const Label* find_label(const Script& script, const std::u16string& name);

// What the check found wrong: the first fault, where it stands.
struct ScriptFault {
    int line = 0;
    std::u16string message;
};

// Builds the tree from the lines and checks it whole: every written command and function
// name known and in a form bhsh takes, every block closed, every literal label there.
// False, with the first fault, when the script cannot run as written.
bool read_script(const std::vector<std::u16string>& lines, Script* script, ScriptFault* fault);
