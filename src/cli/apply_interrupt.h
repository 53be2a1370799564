#pragma once

namespace dezadav::cli {

// Ctrl-C (SIGINT) and SIGTERM while an apply is sending: the first one lets the command being sent
// finish and stops the apply there, so what the router holds is known and can be recorded; a second
// one ends the process at once, as does either signal before any apply has begun.
//
// Installs the handlers of both signals; call once, before the first apply starts.
void InstallApplyInterruptHandlers();

// From now on the first signal stops the applies instead of ending the process.
void ApplyStarted();

// The signal that asked the applies to stop, or 0.
int ApplyInterruptSignal();

// The exit status of a run ended by `signal`: 128 + the signal's number (130 for Ctrl-C).
int InterruptedExitStatus(int signal);

}  // namespace dezadav::cli
