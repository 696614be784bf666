// Each output file is locked by every run that writes it, from before it is emptied until the run
// ends, so that one run's samples never land in a file another run is writing.
#include "front/outputs.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <tuple>
#include <utility>
#include <vector>

#include "front/stop.h"
#include "wav/fail.h"
#include "wav/header.h"

namespace tessmar {
namespace {

FileId id_of(const File& file) { return identify(fileno(file.get())); }

bool same_file(const FileId& first, const FileId& second) {
  return first.device == second.device && first.inode == second.inode;
}

// Whether the name still leads to the open file, and the file has not been removed.
bool still_named(const std::string& name, const File& file) {
  const FileId named = identify(name);
  const FileId opened = id_of(file);
  return named.kind != 0 && same_file(named, opened) && opened.links > 0;
}

// Waits until no other process holds the file's lock; where the file system has no locks, the run
// goes on without one. A signal that asks the run to stop ends the wait.
void wait_for_lock(const File& file) {
  while (flock(fileno(file.get()), LOCK_EX) != 0 && errno == EINTR) {
    stop_if_asked();
  }
  stop_if_asked();
}

// Takes the file's lock where no other process holds it; true also where the file system has none.
bool lock_now(const File& file) { return flock(fileno(file.get()), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK; }

// What the run finds once it holds a file's lock: a file it made that another run has written
// since is that run's output from then on.
void hold(Output& output) {
  output.held = id_of(output.file);
  output.made = output.made && output.held.length == 0;
}

// The files whose locks the run takes: each once, and never a character device, where nothing
// written can be lost and two opens of one device would wait on each other. Taken in the order of
// device and inode, two runs never each hold a file the other waits for, however their outputs link.
std::vector<const Output*> to_lock(const Outputs& outputs) {
  std::vector<const Output*> files;
  for (const Output* output : {&outputs.left, &outputs.right}) {
    const FileId id = id_of(output->file);
    if (id.kind != S_IFCHR && (files.empty() || !same_file(id_of(files.front()->file), id))) {
      files.push_back(output);
    }
  }
  std::sort(files.begin(), files.end(), [](const Output* first, const Output* second) {
    const FileId one = id_of(first->file);
    const FileId other = id_of(second->file);
    return std::tie(one.device, one.inode) < std::tie(other.device, other.inode);
  });
  return files;
}

// Refuses outputs that did not open, or that are one file with the input, with each other or
// with standard output. Nothing has been emptied yet.
void refuse_unusable(const Outputs& outputs, const FileId& input, Console& console) {
  bool usable = outputs.left.file && outputs.right.file;
  if (usable) {
    const FileId left = id_of(outputs.left.file);
    const FileId right = id_of(outputs.right.file);
    guard(console, left);
    guard(console, right);
    usable = !one_file(left, input) && !one_file(right, input) && !one_file(left, right) &&
             !one_file(left, console.out) && !one_file(right, console.out);
  }
  if (!usable) {
    fail(Fault::kOpen);
  }
}

// What a run that does not end in "done" leaves of one output. A file it made is its to remove
// only under the file's own lock, its own or one taken now: where another run holds it, it is that
// run's file.
void leave(Output& output, const std::string& name, bool locked, const Attributes& attributes) {
  if (!output.file || (output.made && !locked && !lock_now(output.file))) {
    return;
  }
  if (output.made && !locked) {
    hold(output);
  }
  const FileId now = id_of(output.file);
  if (output.made) {
    // A name removed or renamed since is not the run's to remove.
    if (still_named(name, output.file)) {
      (void)unlink(name.c_str());
    }
  } else if (output.emptied && now.kind == S_IFREG) {
    try {
      restate_header(output.file, attributes.sample_rate, attributes.bits_per_sample, whole_frames(attributes));
    } catch (const Failure&) {
      // The failure that ended the run is the one to report.
    }
  } else if (!output.emptied && now.kind == S_IFREG && output.held.kind == S_IFREG && now.length > output.held.length) {
    // A header that went out only in part is taken back: an old empty file stays empty. Where
    // that fails too, the failure that ended the run is still the one to report.
    if (ftruncate(fileno(output.file.get()), output.held.length) != 0) {
      return;
    }
  }
}

}  // namespace

void open_outputs(Outputs& outputs, const OutputNames& names, const FileId& input, Console& console) {
  do {
    Outputs next;
    next.left.file = open_output(names.left, next.left.made);
    if (next.left.file) {
      next.right.file = open_output(names.right, next.right.made);
    }
    // The earlier files are still open, so no new file can have taken their inode numbers.
    for (Output* output : {&next.left, &next.right}) {
      for (const Output* earlier : {&outputs.left, &outputs.right}) {
        output->made = output->made || (output->file && earlier->file && earlier->made &&
                                        same_file(id_of(output->file), id_of(earlier->file)));
      }
    }
    // The earlier files close here, and their locks with them: no lock is waited for while one is held.
    outputs = std::move(next);
    refuse_unusable(outputs, input, console);
    for (const Output* output : to_lock(outputs)) {
      wait_for_lock(output->file);
    }
    outputs.locked = true;
    hold(outputs.left);
    hold(outputs.right);
  } while (!still_named(names.left, outputs.left.file) || !still_named(names.right, outputs.right.file));
}

void write_headers(Outputs& outputs, const Attributes& attributes) {
  for (Output* output : {&outputs.left, &outputs.right}) {
    MAKE_HEADER(output->file, attributes.sample_rate, attributes.bits_per_sample, whole_frames(attributes));
    output->emptied = true;
  }
}

void check_names(const Outputs& outputs, const OutputNames& names) {
  if (!still_named(names.left, outputs.left.file) || !still_named(names.right, outputs.right.file)) {
    fail(Fault::kWrite);
  }
}

void clean_up(Outputs& outputs, const OutputNames& names, const Attributes& attributes) {
  leave(outputs.left, names.left, outputs.locked, attributes);
  leave(outputs.right, names.right, outputs.locked, attributes);
  discard(outputs.right.file);
  discard(outputs.left.file);
}

void close_outputs(Outputs& outputs) {
  close_output(outputs.right.file);
  close_output(outputs.left.file);
}

}  // namespace tessmar
