// The children of the tests: the program, or a shell, started in a test's directory.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tessmar_test {

// Starts the program with these arguments and standard streams in the directory, as an
// unprivileged user where asked; it is killed past a time limit.
pid_t start(const std::filesystem::path& dir, std::string program, const std::vector<std::string>& args, int in,
            int out, int err, bool unprivileged);

// Waits for the child to end: its exit status, or 128 + the signal that ended it.
int wait_for(pid_t child);

}  // namespace tessmar_test
