// How a run ends early: a failure, thrown where it is found and reported by the front end, which
// words it; or a signal that asks the run to stop.
#pragma once

#include <csignal>
#include <exception>
#include <string>
#include <utility>

namespace tessmar {

// What went wrong, as the stage that finds it knows it. The front end's one table gives each its
// message and exit status.
enum class Fault {
  kQuit,       // the user left at a prompt
  kName,       // no output name can be formed from the input's
  kNoInput,    // the input does not open
  kNoFormat,   // no format chunk
  kNotStereo,  // a channel count other than 2
  kBitDepth,   // neither 16 nor 24 bits per sample
  kNoData,     // no data chunk
  kOpen,       // a file does not open, or is one it must not be
  kRead,
  kWrite,
  kStopped,  // a signal asked the run to stop: it ends by that signal
};

// The driver cleans up the run's files before it words the failure.
struct Failure : std::exception {
  explicit Failure(Fault kind, std::string name = {}) : fault(kind), input(std::move(name)) {}
  Fault fault;
  std::string input;  // the input's name, where it does not open
};

[[noreturn]] void fail(Fault fault, const std::string& input = {});

// The signal that asked the run to stop, 0 while none has. Its handler only sets it; the copy
// looks at it after each block, and every wait that a signal cuts short looks at it first.
inline volatile std::sig_atomic_t stop_signal = 0;

// Ends the run as a failure where a signal has asked it to stop; the driver sees the signal.
void stop_if_asked();

}  // namespace tessmar
