// The command line and dialogue, the output names, and the order of a run's stages.
#pragma once

#include <string>

namespace tessmar {

struct OutputNames {
  std::string left;
  std::string right;
};

// Opens /dev/null in place of a closed standard stream, so that no file the run opens takes its
// number and receives the messages meant for standard output.
void keep_standard_streams();

// The input name from the first argument or, without one, from the prompts and the help.
// A first argument --help or --version that names no file is answered, and the run ends.
std::string input_name(int argc, const char* const* argv);

// Base name + "L.wav" / "R.wav", in the input's directory.
OutputNames derive_output_names(const std::string& input);

// Probe, headers, then both channels; prints "done" once both outputs are complete. Refuses,
// before emptying anything, standard output that writes into the input, and outputs that do not
// open or are one file with the input, each other or standard output. Waits for any other run
// that writes the same outputs.
void split(const std::string& input, const OutputNames& names);

}  // namespace tessmar
