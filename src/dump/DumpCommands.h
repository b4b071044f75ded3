#pragma once

#include "DumpFormat.h"

class mRWFile;
class WindowPort;

// The three dumps of "Сохранить как ...": "Блок" (the screen as shown), "Файл" (the whole
// file in view) and "Несовпадения" (the rows in which files A and B differ).

// Connects the window's menu items mnuSaveBlock, mnuSaveFile and mnuSaveNoByt.
void installDumpCommands(WindowPort& window);

// Asks for the dump file, refuses a file the window has loaded, asks before overwriting,
// and leaves `target` open, emptied and holding the five header lines. False when the user
// cancelled, the file was refused, or the file failed (reported).
bool funFileCap(WindowPort& window, DumpFormat::Kind kind, mRWFile& target);

void subSaveBlock(WindowPort& window);
void subSaveFile(WindowPort& window);
void subSaveIncompatible(WindowPort& window);
