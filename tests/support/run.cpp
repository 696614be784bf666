// Runs the built program with chosen arguments and standard input, in a directory of its own.
#include "support/run.h"

#include <fcntl.h>
#include <grp.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/child.h"

namespace tessmar_test {
namespace {

constexpr uid_t kNobody = 65534;
// A run that hangs ends here, killed, instead of holding up the suite.
constexpr unsigned kTimeLimitSeconds = 300;

}  // namespace

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
