// tessmar: splits a stereo WAV file into a left and a right mono WAV file.
#include "front/driver.h"

int main(int argc, char** argv) {
  tessmar::keep_standard_streams();
  const std::string input = tessmar::input_name(argc, argv);
  tessmar::split(input, tessmar::derive_output_names(input));
  return 0;
}
