// bhsh: loads the plug-in as the shell does and runs batch files, one line, or the lines
// of standard input with it.
#include <string>
#include <vector>

#include "host/batch/run.h"
#include "host/messages.h"
#include "host/output.h"
#include "host/plugin_link.h"
#include "host/batch/shell_files.h"
#include "host/system.h"
#include "shell/shell_host.h"

namespace {

const int EXIT_USAGE = 2;

struct Options {
    std::u16string plugin_path;
    bool one_line = false;
    std::u16string line;
    std::u16string script;
    std::vector<std::u16string> script_args;
    bool show_usage = false;
};

bool starts_with(const std::u16string& s, const std::u16string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

// Whether --lf stands among the options, wherever: it applies to everything written, the
// complaint about a bad option and the usage text included.
bool wants_lf(const std::vector<std::u16string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        if (a == u"--lf") return true;
        if (a == u"--" || a.size() < 2 || a[0] != u'-') return false;
        if (a == u"--plugin" || a == u"-c") ++i;
    }
    return false;
}

// Options stand before the script's name; everything after it belongs to the script.
bool parse_options(const std::vector<std::u16string>& args, Options* o) {
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::u16string& a = args[i];
        if (a == u"--") {
            ++i;
            break;
        }
        if (a == u"-h" || a == u"--help" || a == u"/?") {
            o->show_usage = true;
            return true;
        }
        if (a == u"--lf") continue;  // taken before anything is written
        if (starts_with(a, u"--plugin=")) {
            o->plugin_path = a.substr(9);
        } else if (a == u"--plugin" || a == u"-c") {
            if (i + 1 >= args.size()) {
                write_error_line(text_of(MSG_OPTION_NEEDS_VALUE, a));
                return false;
            }
            if (a == u"-c") {
                o->one_line = true;
                o->line = args[++i];
            } else {
                o->plugin_path = args[++i];
            }
        } else if (a.size() > 1 && a[0] == u'-') {
            write_error_line(text_of(MSG_BAD_OPTION, a));
            return false;
        } else {
            break;
        }
    }
    if (o->one_line) {
        if (i < args.size()) {
            write_error_line(text_of(MSG_EXTRA_ARGUMENTS, args[i]));
            return false;
        }
        return true;
    }
    if (i < args.size()) {
        o->script = args[i];
        o->script_args.assign(args.begin() + long(i) + 1, args.end());
    }
    return true;
}

int run_as_asked(int argc, char** argv) {
    Options o;
    std::vector<std::u16string> args = system_arguments(argc, argv);
    shell_set_lf_line_ends(wants_lf(args));
    bool parsed = parse_options(args, &o);
    if (!parsed) {
        write_out(MSG_USAGE);
        return EXIT_USAGE;
    }
    if (o.show_usage) {
        write_out(MSG_USAGE);
        return 0;
    }
    if (o.plugin_path.empty()) o.plugin_path = library_default_path();
    bool interactive = o.script.empty() && !o.one_line;
    bool terminal = system_stdin_is_terminal();
    batch_setup(!interactive, !terminal);
    std::u16string error;
    if (!plugin_load(o.plugin_path, &error)) {
        write_error_line(text_of(MSG_CANNOT_LOAD, o.plugin_path, error));
        return 1;
    }
    plugin_initialize();
    int code;
    if (o.one_line) code = run_one_line(o.line);
    else if (!o.script.empty()) code = run_script(o.script, o.script_args);
    else code = run_input(terminal);
    close_all_files();
    plugin_shutdown_and_unload();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    system_prepare_standard_streams();
    follow_standard_output();
    system_watch_interrupt();
    return finish_output(run_as_asked(argc, argv));
}
