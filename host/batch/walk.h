// What the parts of the run share: the frames being run, the run's state, and the walk's
// entry for a frame's script. The walk (run.cpp), frames with CALL and GOSUB (frames.cpp),
// SETLOCAL (locals.cpp) and the prompt (prompt.cpp) read it; nothing below the run does.
#pragma once
#include <stddef.h>

#include <memory>
#include <string>
#include <vector>

#include "host/batch/script.h"
#include "host/system.h"

// How the walk goes on after a node, besides the status: commands that steer the run set it
// as pending, and each block passes on what it does not take itself.
enum Flow { FLOW_NEXT, FLOW_GOTO, FLOW_LEAVE, FLOW_ITERATE, FLOW_RETURN, FLOW_QUIT, FLOW_CANCEL, FLOW_EXIT, FLOW_STOP };

// A script being run: a batch file (by name or CALL), -c's line, standard input, or a
// typed line.
struct Frame {
    Script script;
    bool batch_file = false;  // counts in %_batch, and the plug-in names it in error lines
    bool jumps = false;       // GOTO and GOSUB work (not at the prompt)
    std::u16string zero;      // %0
    std::vector<std::u16string> args;
    size_t locals_base = 0;  // SETLOCALs of the callers
    int subroutines = 0;
    std::vector<size_t> active;  // the sequences being run, outermost first
    size_t active_base = 0;      // where the running subroutine's sequences start
    int line = 0;
};

struct RunState {
    std::vector<std::unique_ptr<Frame>> frames;
    int status = 0;
    bool stopping = false;
    Flow pending = FLOW_NEXT;
    const Label* goto_target = nullptr;
    int nesting = 0;  // GOSUBs and CALLs
    int depth = 0;    // blocks being run, through every GOSUB and CALL
    int batch_files = 0;
    std::vector<std::vector<SavedStream>*> redirected;  // the streams each running command switched
    int command_status = 0;
};

extern RunState run;

// The frame that runs now.
Frame& frame();
void set_status(int code);
// Ends the run with that status, whatever is running.
void stop_with(int code);
// The line being run, for %_batchline and the messages.
void note_location(int line);
// Runs a sequence's children from the one at `from` on.
Flow run_sequence(size_t id, size_t from);

// %0 to %9, %* and %#, and the batch file's own variables, for the frame that runs now.
void publish_frame();
// Runs a frame's script from its start; a frame's QUIT ends it alone.
Flow run_frame(std::unique_ptr<Frame> f);
// Reads and checks a script; a fault is reported where it stands.
bool read_checked(const std::u16string& name, const std::vector<std::u16string>& lines, Frame* f);
// Reads, checks and runs a script that is no batch file: -c's line, standard input.
int run_whole(const std::u16string& name, const std::vector<std::u16string>& lines);
