// Outputs that cannot be used: what the program says, its status, and what it leaves on disk.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/run.h"
#include "support/wav_bytes.h"

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

}  // namespace
}  // namespace tessmar_test
