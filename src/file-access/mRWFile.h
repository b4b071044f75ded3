#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QTime>

#include <cstdint>

#include "FileErrors.h"

class UiServices;

// The text file object: writes (and reads) a text file line by line. Lines are written
// in CP1251 and end in CR LF. Same conventions as mRWByt: no member throws, a code stays
// in Error(), failures are shown in a message box titled MsgTitle. The dumps write through
// it, in large blocks of lines (OpenDump, PutLines).
class mRWFile {
public:
    explicit mRWFile(UiServices& ui);
    ~mRWFile();
    mRWFile(const mRWFile&) = delete;
    mRWFile& operator=(const mRWFile&) = delete;

    void MsgView(bool messageView);
    void MsgTitle(const QString& title);

    QString Path() const { return path_; }
    std::int64_t Size() const { return size_; }
    QString Name() const { return name_; }
    QDate DateFile();
    QTime TimeFile();

    QString GetString();
    void PutString(const QString& lineString);
    // Regime: 0 read lines, 1 append lines, 2 write lines (create or empty).
    void OpenFileRW(const QString& pathName, std::uint8_t regime);
    int Error() const { return error_; }
    // After a dump it says nothing more about a dump that has stopped, leaves an attached
    // descriptor open, and does not look at the file again (it may be a pipe).
    void CloseFile();
    std::int64_t Item() const { return item_; }
    void Delete();

    // ---- Dumps ----
    enum class DumpTarget { Opened, LoadedFile, Failed };
    // Opens `pathName` to take a dump: creates it when missing and empties it, as regime 2
    // does; a character device or a FIFO (/dev/null, a pipe) is written as it is, and with
    // `waitForReader` a FIFO that nobody reads yet is waited for, as a shell waits. A file
    // that is one of `loadedPaths` (the same device and inode under any name) is neither
    // emptied nor written: LoadedFile, with no message. Failed has been reported.
    DumpTarget OpenDump(const QString& pathName, const QStringList& loadedPaths, bool waitForReader = false);
    // Takes a dump into a descriptor the caller keeps open, such as standard output.
    void AttachDump(int fd);
    // Writes `size` bytes of lines already in CP1251, each ending in CR LF, in one block
    // (Item does not count them). On a failure it is reported once, a file keeps only the
    // whole lines written, and every later call returns false without trying again.
    bool PutLines(const char* lines, std::int64_t size);
    // Ends a dump for a reason of its writer's (an input cut short): `why` is shown once, as
    // a failure is, Error() says OutOfRange, and PutLines refuses what follows.
    void StopDump(const QString& why);

private:
    void subFileInfo();
    void subErrMessage(int code);
    void reportLayerError(int err, FileErrors::Access access = FileErrors::Access::Write);
    // One byte of input: 1 and the byte, 0 at the end of the file, or -errno.
    int readByte(std::uint8_t& byte);
    void dropPartialLine(const char* lines);

    UiServices& ui_;
    bool msgView_ = true;
    QString path_;
    QString name_;
    std::int64_t item_ = 0;
    std::int64_t size_ = 0;
    QString dateText_;
    QString timeText_;
    QString lineBuffer_;
    int fd_ = -1;
    int error_ = 0;
    int lastErrno_ = 0;
    QString msgTitle_ = QStringLiteral("mRWFile");
    std::uint8_t regime_ = 0;

    // Input buffer of the read mode; output is written a line at a time, so a failing
    // write shows at the call that made it.
    QByteArray input_;
    qsizetype inputPos_ = 0;

    bool dump_ = false;          // opened by OpenDump or AttachDump
    bool ownsFd_ = true;         // closed here (not an attached descriptor)
    bool dumpStopped_ = false;   // a failure or StopDump ended the dump
    std::int64_t wholeLines_ = -1;  // a dump file's length in whole lines; -1 another target
};
