// The prompt: typed lines run one by one, each checked whole first; standard input that is
// no terminal runs as one script.
#include <memory>
#include <string>

#include "host/batch/limits.h"
#include "host/batch/run.h"
#include "host/batch/source.h"
#include "host/batch/walk.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/system.h"
#include "shell/shell_host.h"

int run_input(bool terminal) {
    if (!terminal) {
        std::string bytes;
        if (!read_whole_input(MAX_BATCH_BYTES, &bytes)) {
            write_error_line(text_of(MSG_INPUT_TOO_LARGE, std::to_string(MAX_BATCH_MIB)));
            return 1;
        }
        return run_whole(MSG_STANDARD_INPUT, script_lines(bytes));
    }
    for (;;) {
        write_out(MSG_PROMPT);
        shell_flush_output();
        std::u16string line;
        bool too_long, interrupted;
        if (!read_typed_line(&line, &too_long, &interrupted)) {
            write_out(u"\r\n");
            break;
        }
        if (interrupted) {  // Ctrl-C while the line was typed: it is dropped
            set_status(EXIT_INTERRUPTED);
            write_out(u"\r\n");
            continue;
        }
        if (too_long) {
            write_error_line(text_of(MSG_LINE_TOO_LONG, std::to_string(typed_line_max())));
            continue;
        }
        std::unique_ptr<Frame> f(new Frame);
        if (!read_checked(u"", {line}, f.get())) continue;
        run.stopping = false;
        Flow flow = run_frame(std::move(f));
        // After ^C the next prompt starts a line of its own, as a shell's does.
        if (flow == FLOW_STOP && run.status == EXIT_INTERRUPTED) write_out(u"\r\n");
        if (shell_output_failure() != 0) break;
        if (flow == FLOW_QUIT || flow == FLOW_EXIT || flow == FLOW_CANCEL) break;
    }
    return run.status;
}
