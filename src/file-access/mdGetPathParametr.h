#pragma once

#include <QString>

class UiServices;

// Splits a full path into its parts. One instance holds the results of its last call.
struct mdGetPathParametr {
    QString strDisk;       // never set on this platform (no drive letters)
    QString strFolder;     // up to and including the last "/"
    QString strNameOnly;   // file name without extension
    QString strExtension;  // extension without the dot
    QString strFullPath;
    QString strFileName;   // file name with extension
    QString strPathNoExt;  // path without the dot and the extension

    void NameFromFullPath(const QString& path, UiServices& ui);
};
