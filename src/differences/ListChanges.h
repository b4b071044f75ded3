#pragma once

#include <QString>

#include <cstddef>

#include "FilePair.h"

struct Change;

// `bivex --list-changes A B [OUT]`: one line per change of the edit script that turns A
// into B, "A_ADDRESS A_LENGTH B_ADDRESS B_LENGTH" (addresses hexadecimal, lengths
// decimal; A_LENGTH 0 for an insertion into B, B_LENGTH 0 for a deletion from A), to OUT
// or, when OUT is empty or "-", standard output. Troubles go to `errors` (standard error by
// default). Returns 0 when the files are equal, 1 when they differ, 2 on trouble, as cmp does.
// With a `range`, A from its skip and B from its own, at most its limit of each, as
// --list-mismatch compares them; the addresses stay each file's own.
int runListChanges(const QString& pathA, const QString& pathB, const QString& out, int errors = 2,
                   const CompareRange& range = {});

// The line of one change, new line included, into `line` (room for 96 bytes); addresses
// get `digits` digits at least. Returns its length.
std::size_t changeLine(char* line, const Change& change, int digits);
