#pragma once

#include <QString>

// `bivex --list-mismatch A B [OUT]`: one line per run, "ADDRESS LENGTH" (hexadecimal,
// decimal), then the line saying which file is longer, to OUT or, when OUT is empty or
// "-", standard output. Troubles go to `errors` (standard error by default).
// Returns 0 when the files are equal, 1 when they differ, 2 on trouble, as cmp does.
int runListMismatch(const QString& pathA, const QString& pathB, const QString& out, int errors = 2);
