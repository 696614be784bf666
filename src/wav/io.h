// Files opened by name for one operation, closed when it returns, but for the outputs, which the
// driver holds for the whole run; reads and writes that are checked, and which file a name or a
// descriptor leads to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace tessmar {

// Closes what an early end leaves open; outputs are closed through close_output, which checks.
struct FileCloser {
  void operator()(std::FILE* file) const { (void)std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Empty when the file cannot be opened; a directory never opens.
File open_file(const std::string& name, const char* mode);

// Reads all of bytes from offset on, or fails as a read.
void read_at(const File& file, std::int64_t offset, std::span<unsigned char> bytes);

// Which file a descriptor or a name leads to, and the length, times and links it had then. A kind
// of 0 means it could not be looked at.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  unsigned kind = 0;  // the file type bits of its mode
  std::int64_t length = 0;
  std::int64_t modified = 0;  // in nanoseconds
  // The status change time, in nanoseconds: no program can set it back, as it can the modified time.
  std::int64_t changed = 0;
  std::uint64_t links = 0;
  bool operator==(const FileId&) const = default;
};
FileId identify(int descriptor);
FileId identify(const std::string& name);

// Whether both are one file that two writers would spoil: writing twice to a character device,
// such as /dev/null, loses nothing.
bool one_file(const FileId& first, const FileId& second);

// Opens the named output for writing, through any links, creating it where it is missing;
// created says whether this open made the file. Never waits: a FIFO without a reader, a socket or
// a device that does not open leaves it empty.
File open_output(const std::string& name, bool& created);

// Cuts a file that is longer to length; a FIFO or a device is never cut.
void cut(const File& file, std::int64_t length);

// Writes all bytes, or fails as a write.
void write_all(const File& file, const void* bytes, std::size_t size);

// Writes out what an output's buffer holds, or fails as a write.
void flush(const File& file);

// Closes an output; a failed flush or close fails as a write, and a failed flush leaves it open.
void close_output(File& file);

// Drops what an output's buffer holds, unwritten.
void drop_buffered(const File& file);

// Closes an output as it is, unchecked: what its buffer holds is dropped, as writing it out to a
// pipe could wait.
void discard(File& file);

}  // namespace tessmar
