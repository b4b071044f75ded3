#pragma once

class UiServices;
struct CommandLine;

// Writes the dump a Dump or DumpMismatch command line asks for, with no window, through
// the writers of the menu's "Файл" and "Несовпадения" dumps: the mismatch dump shows the
// bytes of file A, as the window does with A in view. The files are checked as opening
// them in the window checks them, and OUT may be none of them (by identity, so no other
// name of an input is written either; standard output included). Every failure and
// refusal is reported through `ui`. Returns the exit status: 0 written, 1 not.
int runHeadlessDump(const CommandLine& command, UiServices& ui);
