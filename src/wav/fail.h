// How a run ends early: a failure, thrown where it is found and reported by the front end, which
// words it.
#pragma once

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
  kRead,       // the input does not read in full, or is no longer the file probed
  kWrite,      // an output, or standard output, does not take what is written
  kStopped,    // a signal asked the run to stop: it ends by that signal
};

// The driver cleans up the run's files before it words the failure.
struct Failure : std::exception {
  explicit Failure(Fault kind, std::string name = {}) : fault(kind), input(std::move(name)) {}
  Fault fault;
  std::string input;  // the input's name, where it does not open
};

[[noreturn]] void fail(Fault fault, const std::string& input = {});

}  // namespace tessmar
