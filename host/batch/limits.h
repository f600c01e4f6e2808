// The limits of the batch language, each in one place; the guide states them.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The largest batch file (or script on standard input) bhsh reads, in MiB as its messages
// state it.
const size_t MAX_BATCH_MIB = 16;
const size_t MAX_BATCH_BYTES = MAX_BATCH_MIB << 20;
// Groups, DO and IFF blocks within one another.
const int MAX_BLOCK_NESTING = 64;
// IFs within one another on one line.
const int MAX_IF_NESTING = 16;
// GOSUBs and CALLs within one another, together: a recursion stops here, well before the
// stack would run out.
const int MAX_CALL_NESTING = 64;
// Blocks being run within one another, counted through every GOSUB and CALL: what bounds
// the run's use of the stack (about a kilobyte a level) on every build.
const int MAX_RUN_NESTING = 512;
// SETLOCALs not yet ended.
const int MAX_SETLOCAL_NESTING = 32;
// Exit codes every system passes on whole to the process that waits.
const int64_t MAX_EXIT_CODE = 255;
