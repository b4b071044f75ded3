#pragma once

#include <QString>

// The error numbers the file objects report for failures of the operating system, and
// the texts that go with them. Everything that turns an errno into something the user
// sees goes through here.
namespace FileErrors {

enum Code : int {
    // The file objects' own codes.
    NoPath = -1,        // no path, or the file is not there
    OutOfRange = -2,    // a position outside the file, or its end
    BadValue = -3,      // a byte value outside 0..255
    AlreadyOpen = -4,
    EmptyFile = -5,
    TextFileGone = -6,
    // The file layer's.
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

// The error number for an errno value (a positive errno).
int codeForErrno(int err);

// A short Russian description of an error number; a number we do not know is described
// by strerror(err) when an errno is given, else by a neutral text.
QString description(int code, int err = 0);

// The fixed message a file object shows for one of its own codes or the common device
// codes (-5, -4, -3, -1, 52, 55, 57, 61, 70, 71); a null string for any other code.
QString fixedMessage(int code);

}  // namespace FileErrors
