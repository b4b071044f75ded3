#pragma once

class UiServices;
struct CommandLine;

// Writes the dump a Dump or DumpMismatch command line asks for, with no window, through
// writeDumpOfFiles: the writers of the menu's "Файл" and "Несовпадения" dumps (the
// mismatch dump shows the bytes of file A, as the window does with A in view). First the
// inputs are checked as opening them in the window checks them, and standard output may
// not be one of them (by identity: a redirection into an input is refused). Every failure
// and refusal is reported through `ui`. Returns the exit status: 0 written, 1 not.
int runHeadlessDump(const CommandLine& command, UiServices& ui);
