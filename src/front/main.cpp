// tessmar: splits a stereo WAV file into a left and a right mono WAV file.
#include <csignal>

#include "front/driver.h"

int main(int argc, char** argv) {
  tessmar::keep_standard_streams();
  // Past a file-size limit a write fails, and is reported like any other, instead of the signal
  // ending the run without a word.
  (void)std::signal(SIGXFSZ, SIG_IGN);
  const std::string input = tessmar::input_name(argc, argv);
  tessmar::split(input, tessmar::derive_output_names(input));
  return 0;
}
