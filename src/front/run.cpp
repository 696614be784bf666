// The run's outputs stay open across the stages, unlike the input: both are opened before either
// is emptied, so one that will not open empties nothing, and the left one's lock keeps another run
// on the same outputs waiting until both are complete.
#include "front/run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <utility>

#include "front/driver.h"
#include "front/progress.h"
#include "front/stop.h"
#include "wav/extract.h"
#include "wav/fail.h"
#include "wav/header.h"
#include "wav/io.h"
#include "wav/probe.h"

namespace tessmar {
namespace {

struct Outputs {
  Output left;
  Output right;
  bool locked = false;  // this run holds the left output's lock, waited for
};

// Without the run's lock, a file this run made may already be another run's output: then it is
// removed only where no other run holds the lock, and while it is still empty.
void remove_created(Outputs& outputs, const OutputNames& names) {
  if (!outputs.left.file || (!outputs.locked && !lock_now(outputs.left.file))) {
    return;
  }
  for (const auto& [output, name] : {std::pair{&outputs.left, &names.left}, std::pair{&outputs.right, &names.right}}) {
    if (output->created && output->file && (outputs.locked || identify(fileno(output->file.get())).length == 0) &&
        still_named(*name, output->file)) {
      (void)unlink(name->c_str());
    }
  }
}

// What a run that does not end in "done" leaves: the files it made removed, the old ones it
// emptied restated, the rest as they are. A FIFO or a device is closed with its buffer dropped.
void clean_up(Outputs& outputs, const OutputNames& names, const Attributes& attributes) {
  remove_created(outputs, names);
  for (const Output* output : {&outputs.left, &outputs.right}) {
    if (output->file && !output->created && output->emptied && identify(fileno(output->file.get())).kind == S_IFREG) {
      try {
        restate_header(output->file, attributes.sample_rate, attributes.bits_per_sample, whole_frames(attributes));
      } catch (const Failure&) {
        // The failure that ended the run is the one to report.
      }
    }
  }
  discard(outputs.right.file);
  discard(outputs.left.file);
}

// Refuses outputs that did not open, or that are one file with the input, with each other or
// with standard output. Nothing has been emptied yet; the files this run made are removed in the
// clean-up.
void refuse_unusable(const Outputs& outputs, const FileId& input, Console& console) {
  bool usable = outputs.left.file && outputs.right.file;
  if (usable) {
    const FileId left = identify(fileno(outputs.left.file.get()));
    const FileId right = identify(fileno(outputs.right.file.get()));
    guard(console, left);
    guard(console, right);
    usable = !one_file(left, input) && !one_file(right, input) && !one_file(left, right) &&
             !one_file(left, console.out) && !one_file(right, console.out);
  }
  if (!usable) {
    fail(Fault::kOpen);
  }
}

// Opens and checks both outputs and takes the run's lock. Where another run removed either file
// between the open and the lock, both are opened and checked again.
void open_outputs(Outputs& outputs, const OutputNames& names, const FileId& input, Console& console) {
  do {
    outputs = Outputs{};
    outputs.left = open_output(names.left);
    outputs.right = outputs.left.file ? open_output(names.right) : Output{};
    refuse_unusable(outputs, input, console);
    lock(outputs.left.file);
    outputs.locked = true;
  } while (!still_named(names.left, outputs.left.file) || !still_named(names.right, outputs.right.file));
}

}  // namespace

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
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    listen_for(signal);
  }
  ProgressLine progress{isatty(STDERR_FILENO) == 1, std::chrono::steady_clock::now()};
  const std::uint64_t frames = whole_frames(attributes);
  const auto show_progress = [&](int channel, std::uint64_t copied) {
    draw(progress, channel, copied, frames, channel == 0 ? names.left : names.right);
  };
  Outputs outputs;
  try {
    open_outputs(outputs, names, attributes.input, console);
    if (further_arguments) {
      note(console, "Only the first file is split; further arguments are ignored.");
    }
    write_headers(attributes, outputs.left, outputs.right);
    copy_channels(input, attributes, outputs.left.file, outputs.right.file,
                  progress.on_terminal ? FramesCopied(show_progress) : nullptr);
  } catch (const Failure&) {
    erase(progress);
    clean_up(outputs, names, attributes);
    if (stop_signal != 0) {
      end_by(stop_signal);
    }
    stop_listening(SIGPIPE);
    throw;
  }
  // Both outputs are complete: a signal no longer stops the run. From here on, as before the
  // outputs were open, a closed pipe on standard output ends it, as it does any program.
  stop_listening(SIGPIPE);
  erase(progress);
  close_output(outputs.right.file);
  close_output(outputs.left.file);
  if (!print(console, "done")) {
    fail(Fault::kWrite);
  }
}

}  // namespace tessmar
