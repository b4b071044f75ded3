#pragma once

#include <cstdint>
#include <functional>

#include "DumpFormat.h"

class UiServices;
class mRWByt;
class mRWFile;

// The dumps that read the files themselves. They need no window: the menu commands call
// them with the loaded files, and so can anything else that has file objects (writeDumpOfFiles
// below does just that):
//
//   mRWByt file(ui);  file.MsgTitle("Bivex");  file.Path(input);
//   mRWFile out(ui);  out.MsgTitle("Bivex");  out.AttachDump(STDOUT_FILENO);  // or OpenDump(path, {input})
//   writeDumpHeader(out, DumpFormat::Kind::File, 0, file.Name());
//   writeFileDump(file, dos, out);
//
// Each opens and closes its input files, and stops at the first failure of a file, which
// has reported it; the dump then holds the header and the whole lines written so far. True
// when the dump is complete.

// Called with the number of bytes done so far, about every 50 ms and once at the end.
using DumpProgress = std::function<void(std::int64_t position)>;

// The five header lines; `block` is shown by the block dump only. `column` is where the
// byte fields of the dump begin: DumpFormat::fieldColumn of the bytes it covers.
bool writeDumpHeader(mRWFile& out, DumpFormat::Kind kind, std::int64_t block,
                     const QString& fileName, int column = DumpFormat::kFieldColumn);

// Every byte of `file`, sixteen to a line. A file that has become shorter since its size
// was read ends the dump where it now ends, said once as a failure.
bool writeFileDump(mRWByt& file, bool dos, mRWFile& out, const DumpProgress& progress = {});

// The rows in which files A and B differ, over the length of the shorter file; a
// differing byte shows the byte of A when `showA`, else that of B. A last, shorter row is
// always written. A file that has become shorter ends it as above.
bool writeMismatchDump(mRWByt& a, mRWByt& b, bool showA, bool dos, mRWFile& out,
                       const DumpProgress& progress = {});

// The whole-file dump of `fileA` or, when `fileB` is not empty, the dump of the rows in
// which the two differ (A's bytes shown), with its header, into `output`: a file that is
// created or emptied, or standard output for "-". Neither input is ever the output.
// Messages go to `ui`. True when the dump is complete.
bool writeDumpOfFiles(UiServices& ui, const QString& fileA, const QString& fileB, const QString& output, bool dos);
