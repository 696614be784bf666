// Talks to the program, or to an interactive shell on a terminal of its own, as a user would.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "support/child.h"
#include "support/run.h"

namespace tessmar_test {

std::string played_back(const std::string& bytes) {
  std::string line;
  for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
    to = bytes.find('\r', from);
    const std::string written = bytes.substr(from, to - from);
    line.replace(0, std::min(line.size(), written.size()), written);
  }
  return line;
}

Outcome InTempDir::converse(const std::vector<std::pair<std::string, std::string>>& prompts_and_answers,
                            bool in_shell) const {
  int to_child[2];
  int from_child[2];
  pid_t child = -1;
  if (in_shell) {
    // A terminal of its own, which is the shell's controlling terminal, as a user's is.
    const winsize size{24, 80, 0, 0};
    child = forkpty(&to_child[1], nullptr, nullptr, &size);
    if (child == 0 && chdir(dir.c_str()) == 0 && setenv("PS1", "$ ", 1) == 0 && setenv("HISTFILE", "", 1) == 0 &&
        setenv("T", TESSMAR_BIN, 1) == 0) {
      execl("/bin/bash", "bash", "--norc", "--noprofile", "--noediting", "-i", nullptr);
    }
    if (child == 0) {
      _exit(127);
    }
    from_child[0] = to_child[1];
  } else if (pipe2(to_child, O_CLOEXEC) != 0 || pipe2(from_child, O_CLOEXEC) != 0) {
    return {-1, "no pipes"};
  } else {
    child = start(dir, TESSMAR_BIN, {}, to_child[0], from_child[1], from_child[1], false);
    close(to_child[0]);
    close(from_child[1]);
  }
  std::string printed;
  const auto read_some = [&](int timeout_ms) {
    pollfd ready{from_child[0], POLLIN, 0};
    char buffer[4096];
    const ssize_t got = poll(&ready, 1, timeout_ms) == 1 ? ::read(from_child[0], buffer, sizeof buffer) : -1;
    if (got > 0) {
      printed.append(buffer, static_cast<std::size_t>(got));
    }
    return got > 0;
  };
  bool shown = true;
  std::size_t seen = 0;  // where the last prompt ended
  for (const auto& [prompt, answer] : prompts_and_answers) {
    while (printed.find(prompt, seen) == std::string::npos && (shown = read_some(15000))) {
    }
    if (!shown || ::write(to_child[1], answer.data(), answer.size()) != static_cast<ssize_t>(answer.size())) {
      break;
    }
    seen = printed.find(prompt, seen) + prompt.size();
  }
  if (!in_shell) {
    close(to_child[1]);
  }
  while (read_some(10000)) {
  }
  close(from_child[0]);
  const int status = wait_for(child);
  return {shown ? status : -1, printed};
}

}  // namespace tessmar_test
