// The driver from the outside: arguments, prompts, help, output names and exit statuses.
#include "front/driver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/failure.h"
#include "support/run.h"
#include "support/wav_bytes.h"

namespace tessmar_test {
namespace {

const std::string kWav = stereo_wav(16, pattern(64));
const std::string kFirst = "\nEnter the name of .wav file or 'h' for help: ";
const std::string kAbout =
    "Tessmar 1.021 by Orvald\n\nThis program will split a stereo wave file into two mono wave files.\n";
const std::string kHelp = kAbout + "\nEnter the name of .wav file or 'x' to exit: ";
const std::string kOutputNames =
    "The left channel goes to FILEL.wav and the right one to FILER.wav, beside the input.\n";
const std::string kNameError = "Filename error: looking for format of type name.wav\n";
const std::string kIgnored = "Only the first file is split; further arguments are ignored.\n";

TEST(OutputNames, CutTheLastComponentAtItsFirstDotAndKeepTheDirectory) {
  const std::pair<std::string, std::string> cases[] = {
      {"song.wav", "song"},
      {"a.b.wav", "a"},
      {"song", "song"},
      {".wav", "wav"},
      {"./take.wav", "./take"},
      {"../x.y/song.a.wav", "../x.y/song"},
      {"dir/.hidden.wav", "dir/hidden"},
      {"/abs/..dots..wav", "/abs/dots"},
      {"h", "h"},
      {std::string(300, 'n') + ".wav", std::string(300, 'n')},
  };
  for (const auto& [input, base] : cases) {
    const auto names = tessmar::derive_output_names(input);
    EXPECT_EQ(names.left, base + "L.wav") << input;
    EXPECT_EQ(names.right, base + "R.wav") << input;
  }
  for (const std::string input : {"", "...", "dir/...", "dir/", "/"}) {
    try {
      tessmar::derive_output_names(input);
      ADD_FAILURE() << "accepted " << input;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.fault, Fault::kName) << input;
    }
  }
}

struct Dialogue {
  const char* what;
  std::vector<std::string> args;
  std::optional<std::string> typed;
  std::string out;
  int status;
  std::string left_on_disk;
};

using Driver = InTempDir;

TEST_F(Driver, TakesTheNameFromTheArgumentOrThePrompts) {
  const std::string split = "song.wav:108 songL.wav:76 songR.wav:76";
  const Dialogue cases[] = {
      {"argument", {"song.wav"}, {}, "done\n", 0, split},
      {"only the first argument counts", {"song.wav", "other.wav"}, {}, kIgnored + "done\n", 0, split},
      {"only the first of three", {"song.wav", "a.wav", "b.wav"}, {}, kIgnored + "done\n", 0, split},
      {"an argument h is a file name", {"h"}, {}, "Cannot find file in track list called h!!\n", 2, "song.wav:108"},
      {"--help", {"--help"}, {}, "Usage: tessmar [FILE.wav]\n" + kAbout + kOutputNames, 0, "song.wav:108"},
      {"--version, before a file", {"--version", "song.wav"}, {}, "Tessmar 1.021\n", 0, "song.wav:108"},
      {"typed name", {}, "song.wav\n", kFirst + "done\n", 0, split},
      {"typed name among blanks", {}, " \t\n song.wav other", kFirst + "done\n", 0, split},
      {"help, then a name", {}, "h\nsong.wav\n", kFirst + kHelp + "done\n", 0, split},
      {"help, then x", {}, "h\nx\n", kFirst + kHelp, 1, "song.wav:108"},
      {"x at the first prompt is a name",
       {},
       "x\n",
       kFirst + "Cannot find file in track list called x!!\n",
       2,
       "song.wav:108"},
      {"help is offered once",
       {},
       "h h\n",
       kFirst + kHelp + "Cannot find file in track list called h!!\n",
       2,
       "song.wav:108"},
      {"a typed word that never ends",
       {},
       std::string(5000, 'n'),
       kFirst + "Cannot find file in track list called " + std::string(4096, 'n') + "!!\n",
       2,
       "song.wav:108"},
      {"input ends at the first prompt", {}, "", kFirst, 1, "song.wav:108"},
      {"input ends in blanks", {}, "  \n\t", kFirst, 1, "song.wav:108"},
      {"input ends at the second prompt", {}, "h\n", kFirst + kHelp, 1, "song.wav:108"},
      {"name of dots", {"..."}, {}, kNameError, 2, "song.wav:108"},
      {"a directory name only", {"sub/"}, {}, kNameError, 2, "song.wav:108"},
  };
  for (const Dialogue& test : cases) {
    SCOPED_TRACE(test.what);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directory(dir);
    write("song.wav", kWav);
    const Outcome outcome = run(test.args, test.typed);
    EXPECT_EQ(outcome.out, test.out);
    EXPECT_EQ(outcome.status, test.status);
    EXPECT_EQ(listing(), test.left_on_disk);
  }
}

TEST_F(Driver, WritesTheOutputsBesideTheInputWhateverTheNameLength) {
  const std::string deep = std::string(200, 'd') + "/" + std::string(200, 'e');
  const std::pair<std::string, std::string> cases[] = {
      {"./take.wav", "takeL.wav"},
      {"--help", "--helpL.wav"},
      {"sub/../x.y/song.a.wav", "x.y/songL.wav"},
      {"sub/.hidden.wav", "sub/hiddenL.wav"},
      {deep + "/" + std::string(250, 'f') + ".wav", deep + "/" + std::string(250, 'f') + "L.wav"},
  };
  for (const auto& [input, left] : cases) {
    SCOPED_TRACE(input);
    std::filesystem::create_directories(dir / "sub");
    std::filesystem::create_directories((dir / input).parent_path());
    write(input, kWav);
    for (const auto& typed : {std::optional<std::string>{}, std::optional<std::string>{input}}) {
      const Outcome outcome = typed ? run({}, typed) : run({input});
      EXPECT_EQ(outcome.out, typed ? kFirst + "done\n" : "done\n");
      EXPECT_EQ(read(left), mono_wav(16, 44100, pattern(64), 0));
      std::filesystem::remove(dir / left);
    }
  }
}

TEST_F(Driver, ShowsEachPromptBeforeWaitingForTheAnswer) {
  write("song.wav", kWav);
  const Outcome outcome = converse({{kFirst, "h\n"}, {kHelp, "song.wav\n"}});
  EXPECT_EQ(outcome.out, kFirst + kHelp + "done\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST_F(Driver, RefusesUnusableInputWithoutWritingAnything) {
  const std::pair<std::string, std::string> cases[] = {
      {"Cannot find file in track list called nothing.wav!!\n", "nothing.wav"},
      {"The file you want to convert is not a stereo track!\n", riff(fmt_chunk(1, 8000, 16) + chunk("data", "ab"))},
      {"24 bit or 16 bit wave files only!\n", riff(fmt_chunk(2, 8000, 8) + chunk("data", "ab"))},
      {"Can't find format chunk in wave file!\n", std::string(100, 'a')},
      {"Can't find data block in wave file!\n", riff(fmt_chunk(2, 8000, 16))},
  };
  for (const auto& [message, bytes] : cases) {
    SCOPED_TRACE(message);
    const bool missing = bytes == "nothing.wav";
    if (!missing) {
      write("in.wav", bytes);
    }
    const Outcome outcome = run({missing ? "nothing.wav" : "in.wav"});
    EXPECT_EQ(outcome.out, message);
    EXPECT_EQ(outcome.status, message.find("Can") == 0 ? 2 : 1);
    EXPECT_EQ(listing(), missing ? "" : "in.wav:" + std::to_string(bytes.size()));
    std::filesystem::remove(dir / "in.wav");
  }
}

}  // namespace
}  // namespace tessmar_test
