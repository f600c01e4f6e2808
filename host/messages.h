// Every text the host writes, in one place. "%s" takes the next argument in order.
#pragma once

#define MSG_HOST_PREFIX u"bhsh: "

// Starting up
#define MSG_USAGE                                                                       \
    u"Usage: bhsh [OPTIONS] SCRIPT [ARGS...]   run a batch file\r\n"                    \
    u"       bhsh [OPTIONS] -c LINE            run one line\r\n"                        \
    u"       bhsh [OPTIONS]                    read lines from standard input\r\n"      \
    u"                                         (a prompt on a terminal) until exit\r\n" \
    u"Options: --plugin PATH   the plug-in to load (default: the one beside bhsh)\r\n"  \
    u"         --lf            end output lines in LF instead of CR LF\r\n"
#define MSG_BAD_OPTION u"Unknown option: %s"
#define MSG_OPTION_NEEDS_VALUE u"%s needs a value"
#define MSG_EXTRA_ARGUMENTS u"-c takes one line; unexpected: %s"
#define MSG_CANNOT_LOAD u"Cannot load the plug-in %s: %s"
#define MSG_CANNOT_READ_BATCH u"Cannot read the batch file %s: %s"
#define MSG_BATCH_TOO_LARGE u"the file is too large (%s MiB at most)"
#define MSG_NO_PLUGIN_INFO u"the library has no registration record (GetPluginInfo)"
#define MSG_NO_EXPORT u"The plug-in lists %s but exports no %s; it is left out"
#define MSG_PROMPT u"bhsh> "
#define MSG_OUTPUT_LOST u"bhsh: Cannot write to %s any more; the run stops\r\n"

// Calls into the plug-in
#define MSG_ARGS_TOO_LONG u"Arguments of @%s too long: %s characters, %s at most"
#define MSG_PAST_BUFFER u"The plug-in wrote past the end of the %s-character buffer of %s"
#define MSG_UNTERMINATED u"The plug-in left no terminated result in the buffer of %s"

// The batch language: what the check refuses before a script runs
#define MSG_UNKNOWN_COMMAND u"Unknown command: %s"
#define MSG_UNKNOWN_FUNCTION u"Unknown function: @%s"
#define MSG_UNCLOSED_BRACKET u"Unclosed bracket: %s"
#define MSG_TOO_DEEP u"Variable functions nested too deeply: %s"
#define MSG_LINE_TOO_LONG u"Line too long (%s characters at most)"
#define MSG_UNCLOSED_QUOTE u"Unclosed quote: %s"
#define MSG_VARIABLE_NOT_SERVED u"bhsh does not serve the shell's variable %%s"
#define MSG_PATH_MODIFIER u"bhsh takes %~ with the letters d, f, n, p and x alone: %s"
#define MSG_LABEL_NOT_FOUND u"Label not found: %s"
#define MSG_MISSING_LABEL u"Missing label after goto or gosub"
#define MSG_GOTO_INTO_BLOCK u"goto %s would jump into a block (a DO, IFF or group it is not in)"
#define MSG_GOSUB_INTO_BLOCK u"gosub %s: the label stands inside a block; a subroutine starts at the file's own level"
#define MSG_IF_SYNTAX                                                                                           \
    u"Syntax: if [not] CONDITION COMMAND, with CONDITION \"A\"==\"B\", \"A\"!=\"B\", N1 EQ|NE|LT|LE|GT|GE N2, " \
    u"defined NAME, exist PATH, isdir PATH or errorlevel N, joined by .and. .or. .xor."
#define MSG_IF_TOO_DEEP u"if nested too deeply"
#define MSG_IFF_SYNTAX u"Syntax: iff CONDITION then ... [elseiff CONDITION then ...] [else ...] endiff"
#define MSG_DO_FORM                                                                                          \
    u"DO fits no form: do %s (do N, do forever, do VAR = START to END [by STEP], do while|until CONDITION, " \
    u"do VAR in /L WORDS, do VAR in FILES)"
#define MSG_DO_STEP_ZERO u"DO with a step of 0 would never end"
#define MSG_BLOCK_NOT_CLOSED u"%s without %s"
#define MSG_BLOCK_NOT_CLOSED_INNER u"%s without %s: the %s of line %s closed the %s of line %s"
#define MSG_WITHOUT_DO u"%s without DO"
#define MSG_WITHOUT_IFF u"%s without IFF"
#define MSG_AFTER_ELSE u"Nothing but endiff may follow else in an IFF"
#define MSG_OPEN_WITHOUT_CLOSE u"( without )"
#define MSG_CLOSE_WITHOUT_OPEN u") without ("
#define MSG_BEGINS_A_LINE u"%s must begin a line"
#define MSG_OUTSIDE_DO u"%s outside a DO"
#define MSG_BLOCKS_TOO_DEEP u"Blocks nested too deeply (%s at most)"
#define MSG_MISSING_COMMAND u"Missing command"
#define MSG_UNEXPECTED_TEXT u"Unexpected text: %s"
#define MSG_NOT_TAKEN u"bhsh does not run %s"
#define MSG_MISSING_REDIRECT_FILE u"Missing file name after >"
#define MSG_SET_SYNTAX u"Syntax: set NAME=VALUE"
#define MSG_SET_A_SYNTAX u"Syntax: set /a NAME=EXPRESSION (or +=, -=, *=)"
#define MSG_DEL_WILDCARD u"del takes no wildcards: %s"
#define MSG_DEL_SWITCH u"del takes the switches /Q and /E, not %s"
#define MSG_MISSING_FILE u"Missing file name"
#define MSG_CALL_LABEL u"call %s runs no subroutine in bhsh: write gosub %s"
#define MSG_ENDLOCAL_THEN_EXPANSION                                                                     \
    u"The commands after endlocal on its line are expanded after it has put the variables back: carry " \
    u"values out with endlocal NAME..."
#define MSG_BAD_EXIT_CODE u"Not an exit code (%s to %s): %s"

// The batch language: what stops a run, and what the script handles itself
#define MSG_STANDARD_INPUT u"standard input"
#define MSG_INPUT_TOO_LARGE u"Standard input is too large for a script (%s MiB at most)"
#define MSG_NOT_IN_BATCH u"%s works only in a batch file"
#define MSG_NESTED_TOO_DEEP u"gosub and call nested too deeply (%s at most)"
#define MSG_RUN_TOO_DEEP u"Blocks nested too deeply through gosub and call (%s at most)"
#define MSG_NO_RETURN u"The file ended in the subroutine %s, with no return"
#define MSG_RETURN_WITHOUT_GOSUB u"return without gosub"
#define MSG_SETLOCAL_TOO_DEEP u"setlocal nested too deeply (%s at most)"
#define MSG_ENDLOCAL_WITHOUT_SETLOCAL u"endlocal without setlocal"
#define MSG_CANNOT_REDIRECT u"Cannot redirect to \"%s\": %s"
#define MSG_SET_INTERNAL u"%s is a variable of the shell and cannot be set"
#define MSG_SET_FAILED u"Cannot set %s: %s"
#define MSG_SET_A_RANGE u"Out of the 64-bit range: %s"
#define MSG_VARIABLE_NOT_NUMBER u"%s holds no number: %s"
#define MSG_BAD_NUMBER u"Not a number: %s"
#define MSG_AT_IF_SYNTAX u"Syntax: @if[CONDITION,THEN,ELSE]"
#define MSG_DEL_FAILED u"Cannot delete \"%s\": %s"
#define MSG_IS_A_FOLDER_REASON u"it is a folder"
#define MSG_MISSING_NAME u"Missing name after %s"
#define MSG_NO_USAGE u"No syntax text for %s"
#define MSG_NO_HELP u"No help for %s"
#define MSG_HELP_COMMANDS u"Commands:\r\n"
#define MSG_HELP_KEYWORDS u"Syntax: %s\r\n"
#define MSG_HELP_FUNCTIONS u"Functions:\r\n"
#define MSG_HELP_PLUGIN u"From the plug-in: %s"

// The registration record
#define MSG_RECORD                                                                  \
    u"Name:        %s\r\nVersion:     %s\r\nDescription: %s\r\nAuthor:      %s\r\n" \
    u"E-mail:      %s\r\nWeb page:    %s\r\nFunctions:   %s\r\n"
#define MSG_RECORD_NONE u"(none)"

// The shell's file functions
#define MSG_FILEOPEN_SYNTAX u"Syntax: @fileopen[PATH,MODE[,b|t]] with MODE r, w, a (or read, write, append), r+ or w+"
#define MSG_FILEOPEN_FAILED u"Cannot open \"%s\": %s"
#define MSG_IS_FOLDER u"\"%s\" is a folder"
#define MSG_TOO_MANY_FILES u"Too many open files (%s at most)"
#define MSG_FILECLOSE_SYNTAX u"Syntax: @fileclose[HANDLE]"
#define MSG_BAD_HANDLE u"Bad handle: \"%s\""
#define MSG_NOT_OPENED u"Not a handle from @fileopen: %s"
#define MSG_FILECLOSE_FAILED u"Cannot close %s: %s"
#define MSG_FILESEEK_SYNTAX u"Syntax: @fileseek[HANDLE,OFFSET,ORIGIN] with ORIGIN 0 (start), 1 (here) or 2 (end)"
#define MSG_FILESEEK_FAILED u"Cannot move in %s: %s"
#define MSG_FILESIZE_SYNTAX u"Syntax: @filesize[PATH]"
#define MSG_FILESIZE_FAILED u"Cannot tell the size of \"%s\": %s"
#define MSG_SAMEFILE_SYNTAX u"Syntax: @samefile[PATH1,PATH2]"
#define MSG_SAMEFILE_FAILED u"Cannot compare \"%s\" with \"%s\": %s"

// Arithmetic: @eval and set /a
#define MSG_ARITH_EMPTY u"Nothing to evaluate"
#define MSG_ARITH_NUMBER_AT_END u"A number is missing at the end of \"%s\""
#define MSG_ARITH_NUMBER_BEFORE u"A number is missing before \"%s\" in \"%s\""
#define MSG_ARITH_OPERATOR_BEFORE u"An operator is missing before \"%s\" in \"%s\""
#define MSG_ARITH_UNCLOSED u"Unclosed parenthesis in \"%s\""
#define MSG_ARITH_UNOPENED u"\")\" without \"(\" in \"%s\""
#define MSG_ARITH_NOT_ARITHMETIC u"Not arithmetic: \"%s\" in \"%s\""
#define MSG_ARITH_TOO_DEEP u"Nested more than %s deep: \"%s\""
#define MSG_ARITH_RANGE u"Out of the 64-bit range: %s"
#define MSG_ARITH_DIVISION_BY_ZERO u"Division by zero: %s"
#define MSG_ARITH_NOT_WHOLE u"%s is not a whole number; \\ gives the whole part and MOD the remainder"
#define MSG_ARITH_NEGATIVE_POWER u"A negative power is not a whole number: %s"
#define MSG_EVAL_EQUALS \
    u"@eval's \"%s\" form (a base or precision after =) is not supported; for another base use @convert[10,16,N]"

// The text functions
#define MSG_FUNCTION_ARGUMENTS u"%s takes %s arguments separated by commas, not \"%s\""
#define MSG_FUNCTION_NOT_NUMBER u"%s takes a number, not \"%s\""
#define MSG_FUNCTION_NEGATIVE u"%s takes no negative number: %s"
#define MSG_CHAR_RANGE u"@char takes a character code from 1 to 0x10FFFF outside 0xD800-0xDFFF, not %s"
#define MSG_ASCII_EMPTY u"@ascii needs a character"
#define MSG_FORMAT_WIDTH u"@format takes a width from 0 to %s, after an optional - and 0, not \"%s\""
#define MSG_CONVERT_BASE u"@convert takes bases from 2 to 36, not %s"
#define MSG_CONVERT_DIGITS u"@convert: \"%s\" is not a number in base %s"
#define MSG_CONVERT_RANGE u"@convert: %s in base %s is out of the 64-bit range"
