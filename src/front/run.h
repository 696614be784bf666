// One file's run: its outputs opened, checked and locked, the stages in order, and what a run
// that does not end in "done" leaves.
#pragma once

#include <string>

#include "front/console.h"

namespace tessmar {

// Probe, headers, then both channels; prints "done" once both outputs are complete. Refuses,
// before emptying anything, standard output that writes into the input or an output, and outputs
// that do not open or are one file with the input, each other or standard output. Waits for any
// other run that writes the same outputs. A run that fails or is stopped by a signal leaves no
// file that states what it does not hold: outputs it created are removed, old outputs it emptied
// state the whole frames they hold. With further arguments, says on standard error that they are
// ignored.
void split(const std::string& input, Console& console, bool further_arguments);

}  // namespace tessmar
