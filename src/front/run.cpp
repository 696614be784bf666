// The run's outputs stay open across the stages, unlike the input: both are opened before either
// is emptied, so one that will not open empties nothing, and the left one's lock keeps another run
// on the same outputs waiting until both are complete.
#include "front/run.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <utility>

#include "front/driver.h"
#include "front/progress.h"
#include "wav/extract.h"
#include "wav/fail.h"
#include "wav/header.h"
#include "wav/io.h"
#include "wav/probe.h"

namespace tessmar {
namespace {

// Refuses outputs that did not open, or that are one file with the input, with each other or
// with standard output, and removes the files this run created for them. Nothing has been
// emptied yet.
void refuse_unusable(const Output& left, const Output& right, const OutputNames& names, const FileId& input,
                     Console& console) {
  bool usable = left.file && right.file;
  if (usable) {
    const FileId left_id = identify(fileno(left.file.get()));
    const FileId right_id = identify(fileno(right.file.get()));
    guard(console, left_id);
    guard(console, right_id);
    usable = !one_file(left_id, input) && !one_file(right_id, input) && !one_file(left_id, right_id) &&
             !one_file(left_id, console.out) && !one_file(right_id, console.out);
  }
  if (usable) {
    return;
  }
  for (const auto& [output, name] : {std::pair{&left, &names.left}, std::pair{&right, &names.right}}) {
    if (output->created) {
      (void)unlink(name->c_str());
    }
  }
  fail("Unable to open file.", 2);
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
    fail("Unable to open file.", 2);
  }
  std::array<Attributes, 1> tracks{};
  GET_ATTRIBUTES(0, input, tracks);
  const Attributes& attributes = tracks[0];
  guard(console, attributes.input);
  Output left = open_output(names.left);
  Output right = left.file ? open_output(names.right) : Output{};
  refuse_unusable(left, right, names, attributes.input, console);
  lock(left.file);
  if (further_arguments) {
    note(console, "Only the first file is split; further arguments are ignored.");
  }
  write_headers(attributes, left.file, right.file);
  ProgressLine progress{isatty(STDERR_FILENO) == 1, std::chrono::steady_clock::now()};
  const std::uint64_t frames = whole_frames(attributes);
  const auto show_progress = [&](int channel, std::uint64_t copied) {
    draw(progress, channel, copied, frames, channel == 0 ? names.left : names.right);
  };
  try {
    copy_channels(input, attributes, left.file, right.file,
                  progress.on_terminal ? FramesCopied(show_progress) : nullptr);
    close_output(right.file);
    close_output(left.file);
  } catch (const Failure&) {
    erase(progress);  // so that the message stands alone on its line
    throw;
  }
  erase(progress);
  if (!print(console, "done")) {
    fail("Unable to write file.", 2);
  }
}

}  // namespace tessmar
