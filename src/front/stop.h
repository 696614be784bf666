// The signals that stop a run: listened for while its outputs are written, and, once the run has
// cleaned up, the end by the same signal that a shell expects.
#pragma once

#include <csignal>

namespace tessmar {

// The signal that asked the run to stop, 0 while none has. Its handler only sets it; the run looks
// at it after the headers and after each block copied, and every wait that a signal cuts short looks
// at it first.
inline volatile std::sig_atomic_t stop_signal = 0;

// From here on each signal that a user, a shell or a timer sends to end a program only sets
// stop_signal, and cuts short a wait (a lock, a read, a write) instead of restarting it. A signal
// ignored when the program started stays ignored.
void listen_for_stops();

// Each of those signals gets back the action it had at start.
void stop_listening();

// Ends the run as a failure where a signal has asked it to stop; the run then ends by the signal.
void stop_if_asked();

// Takes the signal's default action at once, as if no handler stood in its way; safe in a signal
// handler. A stopped program goes on from here once continued.
void act_by_default(int signal);

// Ends the program by the signal, as if the signal had ended it at once.
[[noreturn]] void end_by(int signal);

}  // namespace tessmar
