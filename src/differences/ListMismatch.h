#pragma once

#include <QString>

// `bivex --list-mismatch A B [OUT]`: one line per run, "ADDRESS LENGTH" (hexadecimal,
// decimal), and nothing else, to OUT or, when OUT is empty or "-", standard output. Which
// file is longer, and every trouble, goes to `errors` (standard error by default).
// Returns 0 when the files are equal, 1 when they differ, 2 on trouble (an input that
// changed while it was read included; the lines written stay), as cmp does.
int runListMismatch(const QString& pathA, const QString& pathB, const QString& out, int errors = 2);
