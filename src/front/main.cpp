// tessmar: splits a stereo WAV file into a left and a right mono WAV file.
#include <algorithm>
#include <csignal>
#include <iterator>
#include <string>

#include "front/console.h"
#include "front/driver.h"
#include "front/run.h"
#include "wav/fail.h"

namespace {

using tessmar::Fault;

// What each failure tells the user, and the exit status: the README's table, row for row. NAME
// stands for the input's name. A stop never comes here: the run ends by its signal.
struct Wording {
  Fault fault;
  const char* message;  // empty: none
  int status;
};
constexpr Wording kWordings[] = {
    {Fault::kQuit, "", 1},
    {Fault::kNotStereo, "The file you want to convert is not a stereo track!", 1},
    {Fault::kBitDepth, "24 bit or 16 bit wave files only!", 1},
    {Fault::kName, "Filename error: looking for format of type name.wav", 2},
    {Fault::kNoInput, "Cannot find file in track list called NAME!!", 2},
    {Fault::kNoFormat, "Can't find format chunk in wave file!", 2},
    {Fault::kNoData, "Can't find data block in wave file!", 2},
    {Fault::kOpen, "Unable to open file.", 2},
    {Fault::kRead, "Unable to read file.", 2},
    {Fault::kWrite, "Unable to write file.", 2},
};

// Tells the user of the failure, where it has a message, and gives its exit status.
int tell(tessmar::Console& console, const tessmar::Failure& failure) {
  const auto* wording = std::find_if(std::begin(kWordings), std::end(kWordings),
                                     [&](const Wording& row) { return row.fault == failure.fault; });
  if (wording == std::end(kWordings)) {
    return 2;
  }
  std::string message = wording->message;
  if (const std::size_t name = message.find("NAME"); name != std::string::npos) {
    message.replace(name, 4, failure.input);
  }
  if (!message.empty()) {
    tessmar::report(console, message);
  }
  return wording->status;
}

}  // namespace

int main(int argc, char** argv) {
  tessmar::Console console;
  try {
    tessmar::keep_standard_streams();
    console = tessmar::open_console();
    // Past a file-size limit a write fails, and is reported like any other, instead of the signal
    // ending the run without a word.
    (void)std::signal(SIGXFSZ, SIG_IGN);
    if (!tessmar::answer_option(argc, argv, console)) {
      tessmar::split(tessmar::input_name(argc, argv, console), console, argc > 2);
    }
  } catch (const tessmar::Failure& failure) {
    tessmar::release(console);
    return tell(console, failure);
  }
  return 0;
}
