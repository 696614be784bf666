// Faults a user meets through standard output, limits and other runs: what the program says, its
// status, and what it leaves on disk.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/run.h"
#include "support/wav_bytes.h"
#include "wav/extract.h"

namespace tessmar_test {
namespace {

namespace fs = std::filesystem;

using Faults = InTempDir;

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
      {"head -c 47 song.wav >songL.wav; cp songL.wav songR.wav; cp songL.wav old; (ulimit -f 0; $T song.wav; echo $?) "
       "| "
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
