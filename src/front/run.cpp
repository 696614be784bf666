// The stages of one file's run, and the order in which its end is checked: the copy, a signal,
// the outputs' names, and only then "done".
#include "front/run.h"

#include <unistd.h>

#include <array>
#include <chrono>

#include "front/driver.h"
#include "front/outputs.h"
#include "front/progress.h"
#include "front/stop.h"
#include "wav/extract.h"
#include "wav/fail.h"
#include "wav/probe.h"

namespace tessmar {

void split(const std::string& input, Console& console, bool further_arguments) {
  const FileId named = identify(input);
  guard(console, named);
  const OutputNames names = derive_output_names(input);
  guard(console, identify(names.left));
  guard(console, identify(names.right));
  release(console);
  // Refused before the probe, whose messages would land in the input; an output that standard
  // output leads into is refused once it is open. Either refusal goes to the error stream.
  if (one_file(console.out, named)) {
    fail(Fault::kOpen);
  }
  std::array<Attributes, 1> tracks{};
  GET_ATTRIBUTES(0, input, tracks);
  const Attributes& attributes = tracks[0];
  guard(console, attributes.input);
  listen_for_stops();
  ProgressLine progress{isatty(STDERR_FILENO) == 1, std::chrono::steady_clock::now()};
  const std::uint64_t frames = whole_frames(attributes);
  const auto after_block = [&](int channel, std::uint64_t copied) {
    draw(progress, channel, copied, frames, channel == 0 ? names.left : names.right);
    stop_if_asked();
  };
  Outputs outputs;
  try {
    open_outputs(outputs, names, attributes.input, console);
    // Only now may the line be drawn. A stop until then, in a wait for another run's locks, keeps
    // its default: stopped and then killed, the run ends at once.
    if (progress.on_terminal) {
      erase_on_stop();
    }
    if (further_arguments) {
      note(console, "Only the first file is split; further arguments are ignored.");
    }
    write_headers(outputs, attributes);
    stop_if_asked();
    copy_channels(input, attributes, outputs.left.file, outputs.right.file, after_block);
    stop_if_asked();
    check_names(outputs, names);
  } catch (const Failure&) {
    erase(progress);
    clean_up(outputs, names, attributes);
    if (stop_signal != 0) {
      end_by(stop_signal);
    }
    // A signal while the message waits on a full pipe ends the program, as it would any other.
    stop_listening();
    throw;
  }
  // Both outputs are complete: from here on a signal ends the program as it would any other, and
  // one caught since the last look does so now.
  stop_listening();
  if (stop_signal != 0) {
    end_by(stop_signal);
  }
  erase(progress);
  close_outputs(outputs);
  if (!print(console, "done")) {
    fail(Fault::kWrite);
  }
}

}  // namespace tessmar
