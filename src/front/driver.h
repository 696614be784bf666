// The command line and dialogue, and the output names.
#pragma once

#include <string>

#include "front/console.h"

namespace tessmar {

struct OutputNames {
  std::string left;
  std::string right;
};

// Opens /dev/null in place of a closed standard stream, so that no file the run opens takes its
// number and receives the messages meant for standard output.
void keep_standard_streams();

// Answers a first argument --help or --version that names no file; false where there is none.
bool answer_option(int argc, const char* const* argv, Console& console);

// The input name from the first argument or, without one, from the prompts and the help. The end
// of standard input, or x at the second prompt, ends the run quietly with status 1.
std::string input_name(int argc, const char* const* argv, Console& console);

// Base name + "L.wav" / "R.wav", in the input's directory.
OutputNames derive_output_names(const std::string& input);

}  // namespace tessmar
