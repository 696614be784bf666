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
  // Runs tessmar without arguments and types each answer only once the output so far ends with
  // its prompt; a prompt not on the screen within seconds ends the run with status -1.
  Outcome converse(const std::vector<std::pair<std::string, std::string>>& prompts_and_answers) const;
  // Runs the shell line in the directory, $T being tessmar, printing as run() does. Once the file
  // watched has grown past `past` bytes (none named: once it waits for a lock), stops it,
  // sends the signal and lets it go on; no signal: lets it run.
  Outcome interrupt(const std::string& line, const std::string& watched, std::uintmax_t past, int signal) const;

  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;
  // The names of all entries of the directory tree, with sizes of files, sorted.
  std::string listing() const;

  std::filesystem::path dir;
};

}  // namespace tessmar_test
