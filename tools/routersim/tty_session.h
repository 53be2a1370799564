#pragma once

#include <string>

#include "sim_config.h"

namespace dezadav::routersim {

// Serves one command-line session of the first router in `options` on standard input and output, as
// the shell a telnet daemon starts on a pseudo-terminal does: a terminal on standard input is put in
// raw mode (the emulator echoes typed bytes itself, as the router does), each chunk of the dialogue
// goes out with one write, and the session ends when standard input closes or the router closes it.
//
// With `options.stateFile` set, every command line that changed the router's settings is appended to
// that file and the lines already there are replayed at start, so that a later session sees what an
// earlier one set. Returns the process exit code; a state file that cannot be read back is reported on
// standard error.
int RunTtySession(const SimOptions& options);

}  // namespace dezadav::routersim
