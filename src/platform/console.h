#pragma once

#include <string>
#include <vector>

namespace tagwright {

/// True when standard input is an interactive terminal (so a question can be asked there).
bool StandardInputIsTerminal();
/// True when standard output is an interactive terminal (someone watches it line by line).
bool StandardOutputIsTerminal();

/// The program's arguments as UTF-8. On Windows argv arrives in the ANSI code page, which
/// cannot hold every name, so the wide command line is read instead.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

/// From now on SIGINT and SIGTERM (Ctrl-C and Ctrl-Break on Windows) only set a flag, so that
/// a batch can finish or undo its current file and stop between files; a write to a closed
/// pipe becomes a write error instead of ending the process.
void CatchStopSignals();
/// The signal number caught since CatchStopSignals, or 0.
int StopSignal();

/// Makes the console show the UTF-8 the program writes (Windows consoles default to the ANSI
/// code page). Nothing to do elsewhere.
void UseUtf8Console();

}  // namespace tagwright
