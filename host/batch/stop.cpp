#include "host/batch/stop.h"

#include "host/output.h"

namespace {

void write_only(const std::u16string& message) { write_error_line(message); }

StopReport stop_report = write_only;

}  // namespace

void stop_run(const std::u16string& message) { stop_report(message); }

void stop_report_set(StopReport report) { stop_report = report; }
