// Runs a shell line with tessmar in it, and interrupts the run at a moment the test makes certain.
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <sstream>

#include "support/child.h"
#include "support/run.h"

namespace tessmar_test {
namespace {

// Whether the process is blocked writing to its standard output.
bool writing_out(pid_t process) {
  long call = -1;
  std::string descriptor;
  std::ifstream(("/proc/" + std::to_string(process) + "/syscall").c_str()) >> call >> descriptor;
  return call == SYS_write && descriptor == "0x1";
}

}  // namespace

const std::string kShell = "T=" TESSMAR_BIN "; P=\"env LD_PRELOAD=" HOLD_CALL_LIBRARY
                           " ASAN_OPTIONS=verify_asan_link_order=0\"; G() { until [ -e go.held ] || [ \"$(stat -c %s "
                           "\"$1\" 2>/dev/null || echo 0)\" -ge 67108864 ]; do sleep 0.01; done; }; ";

bool skipped_under_emulator([[maybe_unused]] const std::string& row, [[maybe_unused]] const std::string& line) {
#ifdef TESSMAR_EMULATOR
  if (line.find("$P") != std::string::npos) {
    std::cout << "skipped '" << row << "': a library preloaded into a program that runs through " << TESSMAR_EMULATOR
              << " does not take hold\n";
    return true;
  }
#endif
  return false;
}

Outcome InTempDir::interrupt(const std::string& line, const std::string& watched, std::uintmax_t past,
                             int signal) const {
  const auto out_path = dir.string() + ".stdout";
  const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t child = start(dir, "/bin/sh", {"-c", kShell + line}, in, out, out, false);
  const auto reached = [&] {
    std::error_code absent;
    if (watched == kWritingOut) {
      return writing_out(child);
    }
    if (!watched.empty()) {
      const std::uintmax_t size = std::filesystem::file_size(dir / watched, absent);
      return !absent && (size > past || watched == kCallHeld);
    }
    // A waiter's line names its pid as a word: "1: -> FLOCK  ADVISORY  WRITE 1234 fe:00:123 0 EOF".
    std::string pid(1, ' ');
    pid.append(std::to_string(child)).push_back(' ');
    std::ifstream locks("/proc/locks");
    for (std::string lock; std::getline(locks, lock);) {
      if (lock.find("->") != std::string::npos && lock.find(pid) != std::string::npos) {
        return true;
      }
    }
    return false;
  };
  for (int tick = 0; signal != 0 && tick < 30000 && !reached(); ++tick) {
    usleep(1000);
  }
  if (signal != 0) {
    kill(child, SIGSTOP);
    kill(child, signal);
    kill(child, SIGCONT);
  }
  const int status = wait_for(child);
  close(in);
  close(out);
  std::stringstream printed;
  printed << std::ifstream(out_path, std::ios::binary).rdbuf();
  std::filesystem::remove(out_path);
  return {status, printed.str()};
}

}  // namespace tessmar_test
