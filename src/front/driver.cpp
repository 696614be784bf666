// Front end: gets the input name, derives the output names and runs the stages in order.
#include "front/driver.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "wav/extract.h"
#include "wav/fail.h"
#include "wav/header.h"
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
  std::exit(0);
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
  std::array<Attributes, 1> tracks{};
  GET_ATTRIBUTES(0, input, tracks);
  write_headers(input, tracks[0], names.left, names.right);
  copy_channels(input, tracks[0], names.left, names.right);
  std::puts("done");
}

}  // namespace tessmar
