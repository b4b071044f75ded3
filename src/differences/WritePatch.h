#pragma once

#include <QString>

// `bivex --write-patch A B PATCH`: writes the VCDIFF delta that turns A into B to PATCH.
// Troubles go to `errors` (standard error by default). Returns 0 when written, 2 otherwise;
// PATCH is then as it was.
int runWritePatch(const QString& pathA, const QString& pathB, const QString& patch, int errors = 2);
