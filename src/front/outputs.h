// The run's two outputs: opened before either is emptied, locked against every other run, checked
// to be the files their names lead to, and what a run that does not end in "done" leaves of them.
#pragma once

#include <string>

#include "front/console.h"
#include "front/driver.h"
#include "wav/io.h"
#include "wav/probe.h"

namespace tessmar {

struct Output {
  File file;
  FileId held;           // the file as it was once the run held its lock
  bool made = false;     // this run made it, and no other run has written it since
  bool emptied = false;  // its new header is written: what it held is gone
};

struct Outputs {
  Output left;
  Output right;
  bool locked = false;  // the run holds the lock of each, waited for
};

// Opens both outputs without waiting and refuses, before anything is emptied, outputs that do not
// open or are one file with the input, with each other or with standard output. Then waits for
// each file's lock, so that no other run writes them until the run ends; where a name no longer
// leads to its file by then, opens both again. A file keeps the mark of the run that made it.
void open_outputs(Outputs& outputs, const OutputNames& names, const FileId& input, Console& console);

// Header stage: the left file's header, then the right one's, before any sample is copied.
void write_headers(Outputs& outputs, const Attributes& attributes);

// Fails as a write where a name no longer leads to the run's file: another run may write there.
void check_names(const Outputs& outputs, const OutputNames& names);

// What a run that does not end in "done" leaves: each file it made removed, where its name still
// leads to it and the run holds its lock; each old one it emptied restated to the whole frames it
// holds; the part of a header that went out into an old file taken back; the rest as they are.
// A FIFO or a device is closed with its buffer dropped.
void clean_up(Outputs& outputs, const OutputNames& names, const Attributes& attributes);

// Closes both outputs, complete, or fails as a write.
void close_outputs(Outputs& outputs);

}  // namespace tessmar
