// Opening, writing and closing files, each result checked.
#include "wav/io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdio_ext.h>

#include <cerrno>

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
    fail(Fault::kRead);
  }
}

namespace {

FileId file_id(const struct stat& info) {
  const auto nanoseconds = [](const timespec& time) { return time.tv_sec * std::int64_t{1000000000} + time.tv_nsec; };
  return {info.st_dev,
          info.st_ino,
          info.st_mode & S_IFMT,
          info.st_size,
          nanoseconds(info.st_mtim),
          nanoseconds(info.st_ctim),
          info.st_nlink};
}

}  // namespace

FileId identify(int descriptor) {
  struct stat info {};
  return fstat(descriptor, &info) == 0 ? file_id(info) : FileId{};
}

FileId identify(const std::string& name) {
  struct stat info {};
  return stat(name.c_str(), &info) == 0 ? file_id(info) : FileId{};
}

bool one_file(const FileId& first, const FileId& second) {
  return first.kind != 0 && first.kind != S_IFCHR && first.device == second.device && first.inode == second.inode;
}

File open_output(const std::string& name, bool& created) {
  constexpr int kWrite = O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  constexpr mode_t kReadWrite = 0666;
  created = false;
  int descriptor = open(name.c_str(), kWrite);
  if (descriptor < 0 && errno == ENOENT) {
    // O_EXCL tells a file made here from one another run made at the same time; it refuses a
    // dangling link, whose target the last open makes.
    descriptor = open(name.c_str(), kWrite | O_CREAT | O_EXCL, kReadWrite);
    created = descriptor >= 0;
    if (descriptor < 0 && errno == EEXIST) {
      descriptor = open(name.c_str(), kWrite | O_CREAT, kReadWrite);
    }
  }
  if (descriptor < 0) {
    return {};
  }
  // Only the open must not wait: writes wait for a slow reader as they would for a slow disk.
  File file;
  const int flags = fcntl(descriptor, F_GETFL);
  if (flags != -1 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0) {
    file.reset(fdopen(descriptor, "wb"));
  }
  if (!file) {
    (void)close(descriptor);
  }
  return file;
}

void cut(const File& file, std::int64_t length) {
  const int descriptor = fileno(file.get());
  const FileId output = identify(descriptor);
  if (output.kind == S_IFREG && output.length > length && ftruncate(descriptor, length) != 0) {
    fail(Fault::kWrite);
  }
}

void write_all(const File& file, const void* bytes, std::size_t size) {
  if (std::fwrite(bytes, 1, size, file.get()) != size) {
    fail(Fault::kWrite);
  }
}

void flush(const File& file) {
  if (std::fflush(file.get()) != 0) {
    fail(Fault::kWrite);
  }
}

void close_output(File& file) {
  flush(file);
  if (std::fclose(file.release()) != 0) {
    fail(Fault::kWrite);
  }
}

void drop_buffered(const File& file) { __fpurge(file.get()); }

void discard(File& file) {
  if (file) {
    drop_buffered(file);
    file.reset();
  }
}

}  // namespace tessmar
