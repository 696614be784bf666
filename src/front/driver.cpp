// Front end: gets the input name and derives the output names.
#include "front/driver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "wav/fail.h"

namespace tessmar {
namespace {

// No path longer than this opens, so a longer typed word cannot name a file.
constexpr std::size_t kLongestPath = 4096;

// Shows the prompt, then reads one whitespace-delimited word.
// The end of the input before a word means the user has left: end quietly with status 1.
std::string ask(Console& console, const char* prompt) {
  show(console, prompt);
  int c = std::getchar();
  while (c != EOF && std::isspace(c) != 0) {
    c = std::getchar();
  }
  if (c == EOF) {
    fail(Fault::kQuit);
  }
  std::string word;
  for (; c != EOF && std::isspace(c) == 0; c = std::getchar()) {
    if (word.size() == kLongestPath) {
      fail(Fault::kNoInput, word);
    }
    word.push_back(static_cast<char>(c));
  }
  return word;
}

const char* const kAbout =
    "Tessmar " TESSMAR_VERSION " by Orvald\n\nThis program will split a stereo wave file into two mono wave files.\n";

}  // namespace

void keep_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && open("/dev/null", O_RDWR) != fd) {
      fail(Fault::kOpen);
    }
  }
}

bool answer_option(int argc, const char* const* argv, Console& console) {
  struct stat info {};
  if (argc < 2) {
    return false;
  }
  const std::string argument = argv[1];
  if ((argument != "--help" && argument != "--version") || lstat(argument.c_str(), &info) == 0) {
    return false;
  }
  const std::string answer =
      argument == "--version"
          ? "Tessmar " TESSMAR_VERSION
          : std::string("Usage: tessmar [FILE.wav]\n") + kAbout +
                "The left channel goes to FILEL.wav and the right one to FILER.wav, beside the input.";
  if (!print(console, answer)) {
    fail(Fault::kWrite);
  }
  return true;
}

std::string input_name(int argc, const char* const* argv, Console& console) {
  if (argc >= 2) {
    return argv[1];
  }
  std::string word = ask(console, "\nEnter the name of .wav file or 'h' for help: ");
  if (word != "h") {
    return word;
  }
  show(console, kAbout);
  word = ask(console, "\nEnter the name of .wav file or 'x' to exit: ");
  if (word == "x") {
    fail(Fault::kQuit);
  }
  return word;
}

OutputNames derive_output_names(const std::string& input) {
  // Only the last path component is cut at its first dot; the directory stays as given.
  const std::size_t slash = input.rfind('/');
  const std::size_t component = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t start = input.find_first_not_of('.', component);
  if (start == std::string::npos) {
    fail(Fault::kName);
  }
  // Without a further dot the count runs past the end, and substr stops there.
  const std::string base = input.substr(0, component) + input.substr(start, input.find('.', start) - start);
  return {base + "L.wav", base + "R.wav"};
}

}  // namespace tessmar
