// Faults a user meets: what the program says, its status, and what it leaves on disk.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/run.h"
#include "support/wav_bytes.h"
#include "wav/extract.h"

namespace tessmar_test {
namespace {

namespace fs = std::filesystem;

const std::string kWav = stereo_wav(24, pattern(60));

struct Fault {
  const char* what;
  void (*arrange)(const fs::path& dir);
  std::string input;
  bool unprivileged;
  std::string out;
  int status;
  std::string left_on_disk;
};

// Moves the input into a folder that takes no new file, with or without an old left output that
// can be written.
template <bool kOldLeft>
void in_read_only_folder(const fs::path& d) {
  fs::create_directory(d / "ro");
  fs::rename(d / "song.wav", d / "ro/song.wav");
  if (kOldLeft) {
    fs::copy_file(d / "ro/song.wav", d / "ro/songL.wav");
    fs::permissions(d / "ro/songL.wav", fs::perms::all);
  }
  fs::permissions(d / "ro",
                  fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
}

// An old left output beside a right output that does not open: a dangling link into a missing
// folder, a FIFO that no program reads, or a Unix socket.
template <mode_t kKind>
void unopenable_right(const fs::path& d) {
  fs::copy_file(d / "song.wav", d / "songL.wav");
  if (kKind == S_IFLNK) {
    fs::create_symlink("missing/x.wav", d / "songR.wav");
  } else {
    mknod((d / "songR.wav").c_str(), kKind | S_IRUSR | S_IWUSR, 0);
  }
}

using Faults = InTempDir;

TEST_F(Faults, AreReportedAndLeaveNoFalseOutput) {
  const std::string input = "song.wav:" + std::to_string(kWav.size());
  const Fault cases[] = {
      {"input is a directory", [](const fs::path& d) { fs::create_directory(d / "music"); }, "music", false,
       "Cannot find file in track list called music!!\n", 2, "music " + input},
      {"left output is a directory", [](const fs::path& d) { fs::create_directory(d / "songL.wav"); }, "song.wav",
       false, "Unable to open file.\n", 2, input + " songL.wav"},
      {"right output is a directory, beside an old left one",
       [](const fs::path& d) {
         fs::create_directory(d / "songR.wav");
         fs::copy_file(d / "song.wav", d / "songL.wav");
       },
       "song.wav", false, "Unable to open file.\n", 2, input + " songL.wav:104 songR.wav"},
      {"left output on a full disk", [](const fs::path& d) { fs::create_symlink("/dev/full", d / "songL.wav"); },
       "song.wav", false, "Unable to write file.\n", 2, input + " songL.wav"},
      {"right output on a full disk", [](const fs::path& d) { fs::create_symlink("/dev/full", d / "songR.wav"); },
       "song.wav", false, "Unable to write file.\n", 2, input + " songR.wav"},
      {"input unreadable", [](const fs::path& d) { fs::permissions(d / "song.wav", fs::perms::none); }, "song.wav",
       true, "Cannot find file in track list called song.wav!!\n", 2, input},
      {"output directory not writable", in_read_only_folder<false>, "ro/song.wav", true, "Unable to open file.\n", 2,
       "ro ro/" + input},
      {"right output's folder takes no new file, beside an old left one", in_read_only_folder<true>, "ro/song.wav",
       true, "Unable to open file.\n", 2, "ro ro/" + input + " ro/songL.wav:104"},
      {"right output read-only",
       [](const fs::path& d) {
         fs::copy_file(d / "song.wav", d / "songL.wav");
         fs::permissions(d / "songL.wav", fs::perms::all);
         fs::copy_file(d / "song.wav", d / "songR.wav");
         fs::permissions(d / "songR.wav", fs::perms::owner_read);
       },
       "song.wav", true, "Unable to open file.\n", 2, input + " songL.wav:104 songR.wav:104"},
      {"standard output and error lead into the left output",
       [](const fs::path& d) { fs::create_symlink(d.string() + ".stdout", d / "songL.wav"); }, "song.wav", false, "", 2,
       input + " songL.wav"},
      {"left output links to the input", [](const fs::path& d) { fs::create_symlink("song.wav", d / "songL.wav"); },
       "song.wav", false, "Unable to open file.\n", 2, input + " songL.wav"},
      {"right output is the input", [](const fs::path& d) { fs::create_hard_link(d / "song.wav", d / "songR.wav"); },
       "song.wav", false, "Unable to open file.\n", 2, input + " songR.wav:104"},
      {"input links to the left output",
       [](const fs::path& d) {
         fs::rename(d / "song.wav", d / "songL.wav");
         fs::create_symlink("songL.wav", d / "song.wav");
       },
       "song.wav", false, "Unable to open file.\n", 2, "song.wav songL.wav:104"},
      {"right output links to the left", [](const fs::path& d) { fs::create_symlink("songL.wav", d / "songR.wav"); },
       "song.wav", false, "Unable to open file.\n", 2, input + " songR.wav"},
      {"right output a dangling link", unopenable_right<S_IFLNK>, "song.wav", false, "Unable to open file.\n", 2,
       input + " songL.wav:104 songR.wav"},
      {"right output a FIFO", unopenable_right<S_IFIFO>, "song.wav", false, "Unable to open file.\n", 2,
       input + " songL.wav:104 songR.wav"},
      {"right output a socket", unopenable_right<S_IFSOCK>, "song.wav", false, "Unable to open file.\n", 2,
       input + " songL.wav:104 songR.wav"},
      {"both outputs on one device are written through",
       [](const fs::path& d) {
         fs::create_symlink("/dev/null", d / "songL.wav");
         fs::create_symlink("/dev/null", d / "songR.wav");
       },
       "song.wav", false, "done\n", 0, input + " songL.wav songR.wav"},
      {"output linking elsewhere is written through",
       [](const fs::path& d) { fs::create_symlink("old.wav", d / "songL.wav"); }, "song.wav", false, "done\n", 0,
       "old.wav:74 " + input + " songL.wav songR.wav:74"},
  };
  for (const Fault& fault : cases) {
    SCOPED_TRACE(fault.what);
    fs::remove_all(dir);
    fs::create_directory(dir);
    write("song.wav", kWav);
    fault.arrange(dir);
    const Outcome outcome = run({fault.input}, std::nullopt, fault.unprivileged);
    if (outcome.status == kCannotDropPrivileges) {
      std::cout << "skipped '" << fault.what << "': cannot run as an unprivileged user here\n";
      continue;
    }
    EXPECT_EQ(outcome.out, fault.out);
    EXPECT_EQ(outcome.status, fault.status);
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    if (fs::exists(dir / "ro")) {
      fs::permissions(dir / "ro", fs::perms::owner_all, fs::perm_options::add);
    }
    EXPECT_EQ(listing(), fault.left_on_disk);
  }
}

// Shell lines run in the directory, $T being tessmar: what they print, their status and what
// they leave. Standard output that cannot take the last line, or that writes into the input or an
// output, gets nothing: the message goes to the error stream.
TEST_F(Faults, OfStandardOutputAndLimitsAreReported) {
  const std::string samples = pattern(6000);
  const std::string size = std::to_string(samples.size() + 44);
  const std::string input = "song.wav:" + size;
  const std::tuple<std::string, std::string, int, std::string> cases[] = {
      {"printf RIFF | $T /dev/stdin", "Unable to read file.\n", 2, input},  // a pipe opens but cannot be measured
      {"ulimit -f 1; $T song.wav", "Unable to write file.\n", 2, input},
      {"$T song.wav 2>&1 >/dev/full", "Unable to write file.\n", 2, input + " songL.wav:3044 songR.wav:3044"},
      {"$T --version 2>&1 >/dev/full", "Unable to write file.\n", 2, input},
      {"$T song.wav 2>&1 >>song.wav", "Unable to open file.\n", 2, input},
      {"cp song.wav songL.wav; $T song.wav 2>&1 >>songL.wav", "Unable to open file.\n", 2,
       input + " songL.wav:" + size},
      {"echo song.wav | $T >>song.wav", "Unable to open file.\n", 2, input},
      {"cp song.wav songL.wav; echo song.wav | $T >>songL.wav", "Unable to open file.\n", 2,
       input + " songL.wav:" + size},
      {"$T song.wav >>song.wav 2>&1", "", 2, input},
      {"$T song.wav; $T song.wav >/dev/full 2>>songL.wav", "done\n", 2, input + " songL.wav:3044 songR.wav:3044"},
      {"$T song.wav >>songL.wav 2>>song.wav", "", 2, input + " songL.wav:0"},
      {"$T missing.wav >/dev/full", "Cannot find file in track list called missing.wav!!\n", 2, input},
      // Old outputs keep their bytes where their header does not go out, and an empty one stays empty.
      {"head -c 47 song.wav >songL.wav; cp songL.wav songR.wav; cp songL.wav old; (ulimit -f 0; $T song.wav; echo $?) | "
       "cat; cmp old songL.wav && cmp old songR.wav",
       "Unable to write file.\n2\n", 0, "old:47 " + input + " songL.wav:47 songR.wav:47"},
      {": >songL.wav; (prlimit --fsize=20 $T song.wav; echo $?) | cat", "Unable to write file.\n2\n", 0,
       input + " songL.wav:0"},
      // A, refused after it made the left output, is held before removing it; B opens that file and
      // waits for A's lock, then finds it gone and opens both outputs anew.
      {"$P HOLD_CALL=unlink HOLD_UNTIL=go $T song.wav >>songR.wav &"
       " timeout 10 sh -c 'until [ -e go.held ]; do sleep 0.01; done'; $T song.wav >b & B=$!;"
       " timeout 10 sh -c 'until [ -s b ] || grep -q -- -\\> /proc/locks; do sleep 0.01; done'; touch go; wait $B",
       "Unable to open file.\n", 0, "b:5 go.held:0 go:0 " + input + " songL.wav:3044 songR.wav:3044"},
  };
  for (const auto& [line, printed, status, left_on_disk] : cases) {
    SCOPED_TRACE(line);
    if (skipped_under_emulator(line, line)) {
      continue;
    }
    fs::remove_all(dir);
    fs::create_directory(dir);
    write("song.wav", stereo_wav(16, samples));
    const std::string command =
        "cd " + dir.string() + " && { " + kShell + line + "; } >../" + dir.filename().string() + ".printed 2>&1";
    const int got = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(got) ? WEXITSTATUS(got) : -1, status);
    EXPECT_EQ(read("../" + dir.filename().string() + ".printed"), printed);
    fs::remove(dir.string() + ".printed");
    EXPECT_EQ(listing(), left_on_disk);
    EXPECT_EQ(read("song.wav"), stereo_wav(16, samples));
  }
}

// Two runs whose inputs make the same output names: the second waits for the first, so both
// outputs hold the samples of one input, and both runs finish.
TEST_F(Faults, TwoRunsOnTheSameOutputsTakeTurns) {
  const std::string one = pattern(24 << 20, 1);
  const std::string two = pattern(24 << 20, 2);
  write("take.1.wav", stereo_wav(16, one));
  write("take.2.wav", stereo_wav(16, two));
  const std::string command =
      "cd " + dir.string() + " && { T=" + TESSMAR_BIN + "; $T take.1.wav > one & $T take.2.wav > two; wait; }";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(read("one") + read("two"), "done\ndone\n");
  const std::string left = read("takeL.wav");
  const std::string& last = left == mono_wav(16, 44100, one, 0) ? one : two;
  EXPECT_TRUE(left == mono_wav(16, 44100, last, 0) && read("takeR.wav") == mono_wav(16, 44100, last, 1));
}

// Started with standard input and output closed, the input and an output would take their
// numbers, and a late failure's message would land in the output. The left output is a pipe
// that holds less than one block of samples and the input holds two blocks, so the input is cut
// short before the copy ends. The pipe has its reader before the run opens it, and a writer of
// the shell's until the header has come through: the input is cut once the run is past the probe.
TEST_F(Faults, ClosedStandardStreamsAreNotTakenByFiles) {
  const std::string frames = pattern(tessmar::kBlockFrames * 2 * 6);
  write("song.wav", stereo_wav(24, frames));
  write("split.sh", "mkfifo songL.wav\nexec 4<> songL.wav 3< songL.wav\n{ " + std::string(TESSMAR_BIN) +
                        " song.wav <&- >&- 3<&- 4<&-; echo $? > status; } &\n"
                        "head -c 44 <&3 > copied\nexec 4>&-\ntruncate -s 44 song.wav\ncat <&3 >> copied\nwait\n");
  ASSERT_EQ(std::system(("cd " + dir.string() + " && timeout 60 sh split.sh").c_str()), 0);
  EXPECT_EQ(read("status"), "2\n");
  const std::string copied = read("copied");
  EXPECT_GE(copied.size(), 44U);
  EXPECT_TRUE(copied == mono_wav(24, 44100, frames, 0).substr(0, copied.size()))
      << "the output ends in: " << copied.substr(copied.size() - std::min<std::size_t>(copied.size(), 24));
}

}  // namespace
}  // namespace tessmar_test
