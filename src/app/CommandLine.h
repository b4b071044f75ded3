#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "FilePair.h"

// What the command line asks for. It is read before any application object exists, so
// help, version and refusals work without a display and never show a window.
struct CommandLine {
    enum class Action {
        Run,      // open the window with `files` (FILE_A [FILE_B])
        Help,     // print the help text, exit 0
        Version,  // print the version, exit 0
        Refuse,   // print `error` on stderr, exit kUsageError
        // Dumps written with no window: `files` is FILE OUT, or A B OUT for the
        // mismatching rows; OUT "-" is standard output.
        Dump,
        DumpMismatch,
        // The mismatching runs of `files` A B [OUT], printed with no window.
        ListMismatch,
        // The changes (insertions and deletions too) that turn A into B, likewise.
        ListChanges,
        // The VCDIFF delta that turns A into B: `files` is A B PATCH.
        WritePatch,
        // A VCDIFF delta applied to A: `files` is A PATCH OUT.
        ApplyPatch,
    };

    // Exit status of a command line that cannot be carried out as written.
    static constexpr int kUsageError = 2;

    Action action = Action::Run;
    QStringList files;
    // The program name followed by the toolkit's own options (-platform, -style,
    // -session…) in the order given, for the application object to read.
    QStringList toolkitArguments;
    QString error;
    bool dos = false;  // --dos: the dump's characters as the DOS view shows them
    // -i/--ignore-initial and -n/--bytes of the lists, read as cmp reads them: which bytes
    // of A and B are compared.
    CompareRange range;
    // A refusal of files a file manager may have handed over (three or more): shown in a
    // message box as well when a display exists, since nobody may read stderr. The
    // toolkit arguments are then filled in too, for that box.
    bool refusalForWindow = false;
};

// The -style option or QT_STYLE_OVERRIDE names the widget style: the program's own choice
// (Fusion) then stands back.
bool userChoseStyle(const QStringList& toolkitArguments, const QByteArray& styleOverride);

// `arguments` is the whole argv, the program name first. Names after "--" are files even
// when they begin with a dash.
CommandLine parseCommandLine(const QStringList& arguments);

// The text of -h/--help. It ends with where the help command looks for its help file
// (`helpFile`) and whether that file is there.
QString commandLineHelp(const QString& helpFile, bool helpFileFound);

// The text of -v/--version.
QString commandLineVersion();
