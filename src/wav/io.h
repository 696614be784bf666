// Files opened by name for one operation, closed when it returns; reads and writes that are checked.
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

// Reads all of bytes from offset on, or reports "Unable to read file.".
void read_at(const File& file, std::int64_t offset, std::span<unsigned char> bytes);

// Whether both names lead, through any links, to one existing file that is not a character device.
bool same_file(const std::string& one, const std::string& other);

// Whether the name leads to the regular file that standard output writes to.
bool is_standard_output(const std::string& name);

// Whether the named file could be opened for writing, or created in its folder; nothing is touched.
bool can_write(const std::string& name);

// Writes all bytes or reports "Unable to write file.".
void write_all(const File& file, const void* bytes, std::size_t size);

// Closes an output, reporting a failed flush or close ("Unable to write file.").
void close_output(File& file);

}  // namespace tessmar
