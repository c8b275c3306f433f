#pragma once
// diagsconfig trace: the desktop editors and common tasks, switched on and off as a person does
// on the dialog's Tracing tab. The dialog itself runs headless (its form models under a scripted
// modal loop, no window): the command ticks and unticks the named trace-tree nodes, sets the
// output panel and presses Ctrl+S through the controls' user entry points, and answers the
// dialog's questions from the options. Propagation, validation and saving are the dialog's own.
//
//   trace                       the editors and tasks with their state (on, off, partly) and
//                               the panel's shared values
//   trace on NAME... [--file F] [--dir D] [--append|--circular|--overwrite] [--size KB]
//                    [--monitor|--no-monitor] [--yes]
//   trace off NAME...           untick the named editors or tasks
//   trace off --all             Clear all: every output off; the error log keeps writing
//
// A file option ticks "Log to file" first, as a person must before the file fields accept
// input. --yes answers the dialog's questions (create a missing directory) with yes; without
// it the command stops at the question and prints it.
#include <string>
#include <vector>

#include "tools/diagsconfig/Failure.h"

namespace diags::tools {

int RunTraceCommand(CommandContext& context, const std::vector<std::string>& args);

}  // namespace diags::tools
