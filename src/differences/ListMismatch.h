#pragma once

#include <QString>

#include "FilePair.h"

// `bivex --list-mismatch [-i SKIP1[:SKIP2]] [-n LIMIT] A B [OUT]`: one line per run,
// "ADDRESS LENGTH" (hexadecimal, decimal; A's own address), and nothing else, to OUT or,
// when OUT is empty or "-", standard output. `range` says which bytes are compared, as
// cmp -i and -n say it. Which file ended first, and every trouble, goes to `errors`
// (standard error by default). Returns 0 when the ranges are equal, 1 when they differ, 2
// on trouble (an input that changed while it was read included; the lines written stay),
// as cmp does.
int runListMismatch(const QString& pathA, const QString& pathB, const QString& out, int errors = 2,
                    const CompareRange& range = {});
