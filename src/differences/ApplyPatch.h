#pragma once

#include <QString>

// `bivex --apply-patch A PATCH OUT`: applies the VCDIFF delta PATCH to A and writes the
// result to OUT. Troubles go to `errors` (standard error by default). Returns 0 when
// written, 2 otherwise; OUT is then as it was.
int runApplyPatch(const QString& pathA, const QString& patch, const QString& out, int errors = 2);
