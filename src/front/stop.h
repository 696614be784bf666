// The signals that stop a run: listened for while its outputs are written, and, once the run has
// cleaned up, the end by the same signal that a shell expects.
#pragma once

namespace tessmar {

// From here on the signal only sets the run's stop flag, and cuts short a wait (a lock, a read, a
// write) instead of restarting it. A signal ignored when the program started stays ignored.
void listen_for(int signal);

// The signal ends the program again, as it did before listen_for.
void stop_listening(int signal);

// Ends the program by the signal, as if the signal had ended it at once.
[[noreturn]] void end_by(int signal);

}  // namespace tessmar
