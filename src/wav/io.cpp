// Opening, writing and closing files, each result checked.
#include "wav/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "wav/fail.h"

namespace tessmar {

File open_file(const std::string& name, const char* mode) {
  File file(std::fopen(name.c_str(), mode));
  // fopen takes a directory for reading; its reads would fail later with a less useful message.
  struct stat info {};
  if (file && (fstat(fileno(file.get()), &info) != 0 || S_ISDIR(info.st_mode))) {
    file.reset();
  }
  return file;
}

void read_at(const File& file, std::int64_t offset, std::span<unsigned char> bytes) {
  if (fseeko(file.get(), offset, SEEK_SET) != 0 ||
      std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    fail("Unable to read file.", 2);
  }
}

namespace {

bool one_file(const struct stat& first, const struct stat& second) {
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

bool same_file(const std::string& one, const std::string& other) {
  struct stat first {};
  struct stat second {};
  // Writing twice to a character device such as /dev/null loses nothing.
  return stat(one.c_str(), &first) == 0 && stat(other.c_str(), &second) == 0 && !S_ISCHR(first.st_mode) &&
         one_file(first, second);
}

bool is_standard_output(const std::string& name) {
  struct stat output {};
  struct stat named {};
  return fstat(STDOUT_FILENO, &output) == 0 && S_ISREG(output.st_mode) && stat(name.c_str(), &named) == 0 &&
         one_file(output, named);
}

bool can_write(const std::string& name) {
  struct stat info {};
  if (stat(name.c_str(), &info) == 0) {
    return !S_ISDIR(info.st_mode) && faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) == 0;
  }
  const std::size_t slash = name.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
  return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

void write_all(const File& file, const void* bytes, std::size_t size) {
  if (std::fwrite(bytes, 1, size, file.get()) != size) {
    fail("Unable to write file.", 2);
  }
}

void close_output(File& file) {
  if (std::fclose(file.release()) != 0) {
    fail("Unable to write file.", 2);
  }
}

}  // namespace tessmar
