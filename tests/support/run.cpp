// Runs the built program with chosen arguments and standard input, in a directory of its own.
#include "support/run.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace tessmar_test {
namespace {

constexpr uid_t kNobody = 65534;
// A run that hangs ends here, killed, instead of holding up the suite.
constexpr unsigned kTimeLimitSeconds = 300;

// Whether the process is blocked writing to its standard output.
bool writing_out(pid_t process) {
  long call = -1;
  std::string descriptor;
  std::ifstream(("/proc/" + std::to_string(process) + "/syscall").c_str()) >> call >> descriptor;
  return call == SYS_write && descriptor == "0x1";
}

pid_t start(const std::filesystem::path& dir, std::string program, const std::vector<std::string>& args, int in,
            int out, int err, bool unprivileged) {
  std::vector<char*> argv{program.data()};
  for (const auto& arg : args) {
    argv.push_back(const_cast<char*>(arg.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(dir.c_str()) != 0) {
      _exit(127);
    }
    if (unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(kCannotDropPrivileges);
    }
    alarm(kTimeLimitSeconds);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

int wait_for(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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

std::string played_back(const std::string& bytes) {
  std::string line;
  for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1) {
    to = bytes.find('\r', from);
    const std::string written = bytes.substr(from, to - from);
    line.replace(0, std::min(line.size(), written.size()), written);
  }
  return line;
}

void InTempDir::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tessmar-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir = pattern;
}

void InTempDir::TearDown() {
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
  std::filesystem::remove_all(dir);
}

Outcome InTempDir::run(const std::vector<std::string>& args, const std::optional<std::string>& typed, bool unprivileged,
                       bool on_terminal) const {
  const auto in_path = dir.string() + ".stdin";
  const auto out_path = dir.string() + ".stdout";
  std::ofstream(in_path, std::ios::binary) << typed.value_or("");
  std::string program = TESSMAR_BIN;
  if (unprivileged) {
    // The build tree may be out of an unprivileged user's reach; a copy beside the files is not.
    program = (dir / ".tessmar").string();
    std::filesystem::copy_file(TESSMAR_BIN, program);
    std::filesystem::permissions(dir, std::filesystem::perms::all);
  }
  int terminal = -1;
  int terminal_end = -1;
  if (on_terminal && openpty(&terminal, &terminal_end, nullptr, nullptr, nullptr) != 0) {
    return {-1, "no terminal"};
  }
  const int in = open(in_path.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const pid_t child = start(dir, program, args, in, out, on_terminal ? terminal_end : out, unprivileged);
  // Read as the run goes, or a full terminal would hold it up; it reads to its end once the
  // terminal's last writer, here, closes it after the run.
  std::string shown;
  std::thread reader;
  if (on_terminal) {
    reader = std::thread([&] {
      char buffer[4096];
      for (ssize_t count = 0; (count = ::read(terminal, buffer, sizeof buffer)) > 0;) {
        shown.append(buffer, static_cast<std::size_t>(count));
      }
    });
  }
  const int status = wait_for(child);
  if (on_terminal) {
    close(terminal_end);
    reader.join();
    close(terminal);
  }
  close(in);
  close(out);
  if (unprivileged) {
    std::filesystem::remove(program);
  }
  std::stringstream printed;
  printed << std::ifstream(out_path, std::ios::binary).rdbuf();
  std::filesystem::remove(in_path);
  std::filesystem::remove(out_path);
  return {status, printed.str(), shown};
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

void InTempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string InTempDir::read(const std::string& name) const {
  std::stringstream bytes;
  bytes << std::ifstream(dir / name, std::ios::binary).rdbuf();
  return bytes.str();
}

std::string InTempDir::listing() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const auto name = entry.path().lexically_relative(dir).string();
    const bool file = entry.is_regular_file() && !entry.is_symlink();
    names.push_back(file ? name + ":" + std::to_string(entry.file_size()) : name);
  }
  std::sort(names.begin(), names.end());
  std::string joined;
  for (const auto& name : names) {
    joined += (joined.empty() ? "" : " ") + name;
  }
  return joined;
}

}  // namespace tessmar_test
