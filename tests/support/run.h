// Runs the built program in a fresh temporary directory and reads back what it left.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessmar_test {

struct Outcome {
  int status;              // exit status, or 128 + signal
  std::string out;         // everything on standard output and, unless it is a terminal, the error stream
  std::string terminal{};  // what the error stream wrote to its terminal
};

// An exit status of the child itself when it could not become an unprivileged user.
constexpr int kCannotDropPrivileges = 126;

// What a test's shell line can use: $T, tessmar; $P HOLD_CALL=... HOLD_UNTIL=go $T, tessmar
// with one call held (see hold_call.cpp); G FILE, which waits until FILE holds 64 MiB, or a call
// is held until go.
extern const std::string kShell;
// A line that preloads a library into a program that runs through an emulator, where it cannot
// take hold: says that the row is skipped.
bool skipped_under_emulator(const std::string& row, const std::string& line);

constexpr const char* kWritingOut = "<writes to standard output>";
constexpr const char* kCallHeld = "go.held";

// What a terminal shows after these bytes: each carriage return starts the line over, and what
// follows it overwrites what stands there.
std::string played_back(const std::string& bytes);

class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs tessmar with these arguments; typed is its whole standard input (none: at its end at
  // once). Standard output and the error stream go to the file dir + ".stdout", or the error stream
  // to a terminal of its own. As an unprivileged user, permission bits count even when the tests run
  // as root.
  Outcome run(const std::vector<std::string>& args, const std::optional<std::string>& typed = std::nullopt,
              bool unprivileged = false, bool on_terminal = false) const;
  // Runs tessmar without arguments and types each answer only once the output shows its prompt,
  // after the one before; a prompt not on the screen within seconds ends the run with status -1.
  // In a shell: an interactive bash instead, on a terminal that is its controlling terminal, $T
  // being tessmar; out holds all the terminal received.
  Outcome converse(const std::vector<std::pair<std::string, std::string>>& prompts_and_answers,
                   bool in_shell = false) const;
  // Runs the shell line (see kShell) in the directory, printing as run() does. Once the file
  // watched has grown to `past` bytes (none named: once the run waits for a lock; kWritingOut: for
  // a write to standard output; kCallHeld: in a held call), stops it, sends the signal and lets it
  // go on; no signal: lets it run.
  Outcome interrupt(const std::string& line, const std::string& watched, std::uintmax_t past, int signal) const;

  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  // The names of all entries of the directory tree, with sizes of files, sorted.
  std::string listing() const;

  std::filesystem::path dir;
};

}  // namespace tessmar_test
