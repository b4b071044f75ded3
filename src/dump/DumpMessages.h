#pragma once

#include <QString>

#include "FileErrors.h"

class UiServices;

// Shows the file objects' message for a failure of the file layer (`err` an errno value,
// met while doing `access`), titled "Bivex".
void reportFileFailure(UiServices& ui, int err, FileErrors::Access access);

// What the user is told when the chosen target is a loaded file.
QString loadedTargetMessage();
