// Front end: gets the input name, derives the output names and runs the stages in order.
#include "front/driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "front/progress.h"
#include "wav/extract.h"
#include "wav/fail.h"
#include "wav/header.h"
#include "wav/io.h"
#include "wav/probe.h"

namespace tessmar {
namespace {

// No path longer than this opens, so a longer typed word cannot name a file.
constexpr std::size_t kLongestPath = 4096;

// Shows the prompt, then reads one whitespace-delimited word.
// The end of the input before a word means the user has left: end quietly with status 1.
std::string ask(const char* prompt) {
  // A prompt that cannot be shown changes nothing of the split.
  (void)std::fputs(prompt, stdout);
  (void)std::fflush(stdout);
  int c = std::getchar();
  while (c != EOF && std::isspace(c) != 0) {
    c = std::getchar();
  }
  if (c == EOF) {
    std::exit(1);
  }
  std::string word;
  for (; c != EOF && std::isspace(c) == 0; c = std::getchar()) {
    if (word.size() == kLongestPath) {
      fail("Cannot find file in track list called " + word + "!!", 2);
    }
    word.push_back(static_cast<char>(c));
  }
  return word;
}

// Standard output took what was printed, or the run failed after all (a full disk); the message
// goes where it may still be seen.
void check_standard_output() {
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    fail("Unable to write file.", 2, stderr);
  }
}

void show_help() {
  std::puts("Tessmar " TESSMAR_VERSION " by Orvald");
  std::puts("\nThis program will split a stereo wave file into two mono wave files.");
}

// --help and --version, unless a file of that name is there to be split.
void answer_option(const std::string& argument) {
  struct stat info {};
  if ((argument != "--help" && argument != "--version") || lstat(argument.c_str(), &info) == 0) {
    return;
  }
  if (argument == "--version") {
    std::puts("Tessmar " TESSMAR_VERSION);
  } else {
    std::puts("Usage: tessmar [FILE.wav]");
    show_help();
    std::puts("The left channel goes to FILEL.wav and the right one to FILER.wav, beside the input.");
  }
  check_standard_output();
  std::exit(0);
}

// Refuses outputs that did not open, or that are one file with the input, with each other or
// with standard output (whose message then goes to the error stream), and removes the files
// this run created for them. Nothing has been emptied yet.
void refuse_unusable(const Output& left, const Output& right, const OutputNames& names, const FileId& input,
                     const FileId& printed_to) {
  std::FILE* stream = stdout;
  bool usable = left.file && right.file;
  if (usable) {
    const FileId left_id = identify(fileno(left.file.get()));
    const FileId right_id = identify(fileno(right.file.get()));
    usable = !one_file(left_id, input) && !one_file(right_id, input) && !one_file(left_id, right_id);
    if (one_file(left_id, printed_to) || one_file(right_id, printed_to)) {
      usable = false;
      stream = stderr;
    }
  }
  if (usable) {
    return;
  }
  for (const auto& [output, name] : {std::pair{&left, &names.left}, std::pair{&right, &names.right}}) {
    if (output->created) {
      (void)unlink(name->c_str());
    }
  }
  fail("Unable to open file.", 2, stream);
}

}  // namespace

void keep_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) != fd) {
      fail("Unable to open file.", 2);
    }
  }
}

std::string input_name(int argc, const char* const* argv) {
  if (argc >= 2) {
    answer_option(argv[1]);
    return argv[1];
  }
  std::string word = ask("\nEnter the name of .wav file or 'h' for help: ");
  if (word != "h") {
    return word;
  }
  show_help();
  word = ask("\nEnter the name of .wav file or 'x' to exit: ");
  if (word == "x") {
    std::exit(1);
  }
  return word;
}

OutputNames derive_output_names(const std::string& input) {
  // Only the last path component is cut at its first dot; the directory stays as given.
  const std::size_t slash = input.rfind('/');
  const std::size_t component = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t start = input.find_first_not_of('.', component);
  if (start == std::string::npos) {
    fail("Filename error: looking for format of type name.wav", 2);
  }
  // Without a further dot the count runs past the end, and substr stops there.
  const std::string base = input.substr(0, component) + input.substr(start, input.find('.', start) - start);
  return {base + "L.wav", base + "R.wav"};
}

void split(const std::string& input, const OutputNames& names) {
  ProgressLine progress{isatty(STDERR_FILENO) == 1, std::chrono::steady_clock::now()};
  const FileId printed_to = identify(STDOUT_FILENO);
  // Anything printed would land in the input: the refusal itself goes to the error stream.
  if (one_file(printed_to, identify(input))) {
    fail("Unable to open file.", 2, stderr);
  }
  std::array<Attributes, 1> tracks{};
  GET_ATTRIBUTES(0, input, tracks);
  // Unlike the input, the outputs stay open across the stages: both are opened before either is
  // emptied, so one that will not open empties nothing, and the left one's lock keeps another
  // run on the same outputs waiting until both are complete.
  Output left = open_output(names.left);
  Output right = left.file ? open_output(names.right) : Output{};
  refuse_unusable(left, right, names, tracks[0].input, printed_to);
  lock(left.file);
  write_headers(tracks[0], left.file, right.file);
  const std::uint64_t frames = whole_frames(tracks[0]);
  const auto show = [&](int channel, std::uint64_t copied) {
    draw(progress, channel, copied, frames, channel == 0 ? names.left : names.right);
  };
  before_failure = [&progress] { erase(progress); };
  copy_channels(input, tracks[0], left.file, right.file, progress.on_terminal ? FramesCopied(show) : nullptr);
  close_output(right.file);
  close_output(left.file);
  erase(progress);
  before_failure = nullptr;
  std::puts("done");
  check_standard_output();
}

}  // namespace tessmar
