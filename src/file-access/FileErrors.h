#pragma once

#include <QString>

class UiServices;

// The error numbers the file objects report for failures of the operating system, and
// the texts that go with them. Everything that turns an errno into something the user
// sees goes through here.
namespace FileErrors {

enum Code : int {
    // The file objects' own codes.
    NoPath = -1,        // no path given (the text object: or, for reading, no file at it)
    OutOfRange = -2,    // a position outside the file, or the end of the lines; never shown
    BadValue = -3,      // a byte value outside 0..255
    AlreadyOpen = -4,   // opening an object whose file is still open
    EmptyFile = -5,     // the file holds no byte
    TextFileGone = -6,  // the text object's file is no longer at its path
    // The codes of the file layer's failures.
    TypeMismatch = 13,  // a stored date or time text that is not a date or time
    BadHandle = 52,
    FileNotFound = 53,
    FileBusy = 55,
    DeviceIo = 57,
    DiskFull = 61,
    PermissionDenied = 70,
    DiskNotReady = 71,
    PathAccess = 75,
    PathNotFound = 76,
};

// What the failing call was doing. A refusal to read is no write protection, and a file
// that is being created cannot be missing itself: only its folder can.
enum class Access { Read, Write, Create };

// The error number for an errno value (a positive errno) met while doing `access`.
int codeForErrno(int err, Access access = Access::Write);

// A short Russian description of an error number; for the catch-all code 75 it names the
// errno's own cause where we know it. A number we do not know is described by
// strerror(err) when an errno is given, else by a neutral text.
QString description(int code, int err = 0);

// The fixed message a file object shows for one of its own codes or the common device
// codes (-5, -4, -3, -1, 52, 55, 57, 61, 70, 71); a null string for any other code.
QString fixedMessage(int code);

// The two file objects word a few failures differently: the binary one puts "Error №"
// and the number before a description, the text one shows the description alone and has
// texts of its own for NoPath and TextFileGone.
enum class Reporter { BinaryFile, TextFile };

// The text `reporter` shows for `code`; `err` is the errno behind a file-layer code.
QString messageText(Reporter reporter, int code, int err);

// Shows a file object's failure: a critical message box with one OK button, titled
// `title`. The one way both file objects report.
void showFailure(UiServices& ui, const QString& title, Reporter reporter, int code, int err);

}  // namespace FileErrors
