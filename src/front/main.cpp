// tessmar: splits a stereo WAV file into a left and a right mono WAV file.
#include <csignal>

#include "front/console.h"
#include "front/driver.h"
#include "front/run.h"
#include "wav/fail.h"

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
    if (*failure.what() != '\0') {
      tessmar::report(console, failure.what());
    }
    return failure.status;
  }
  return 0;
}
