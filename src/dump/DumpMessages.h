#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include "FileErrors.h"

#include <cstdint>

class UiServices;

// Where a dump goes. A sink takes the dump in large blocks and reports its own failure.
class DumpSink {
public:
    virtual ~DumpSink() = default;
    // Writes every byte, or reports the failure once and returns false; after a failure
    // every later call returns false without trying again.
    virtual bool write(const char* data, std::int64_t size) = 0;
    // Ends the dump for a reason of the writer's (an input cut short): reports `why` once,
    // as its own failures are reported, and every later write returns false.
    virtual void stop(const QString& why) = 0;
};

// A dump file, or a descriptor such as standard output. A failure is shown with the
// title "Bivex" and the file objects' message for its error number.
class DumpFile : public DumpSink {
public:
    enum class OpenResult { Opened, LoadedFile, Failed };

    explicit DumpFile(UiServices& ui);
    ~DumpFile() override;
    DumpFile(const DumpFile&) = delete;
    DumpFile& operator=(const DumpFile&) = delete;

    // Opens `path` for writing, creating it when missing, and empties it; a character
    // device or a FIFO (/dev/null, a pipe) is written as it is, and with `waitForReader` a
    // FIFO that nobody reads yet is waited for, as a shell waits. A file that is
    // one of `loadedPaths` (the same device and inode: another spelling, a hard link or a
    // symbolic link counts too) is neither emptied nor written: LoadedFile, no message.
    // Failed has been reported.
    OpenResult open(const QString& path, const QStringList& loadedPaths, bool waitForReader = false);
    // Writes to a descriptor the caller owns and keeps open, e.g. STDOUT_FILENO.
    void attach(int fd);
    bool write(const char* data, std::int64_t size) override;
    void stop(const QString& why) override;
    // Closes a file opened here; false when closing failed (reported).
    bool close();
    // 0, or the error number of the failure that stopped the writing.
    int Error() const { return error_; }

private:
    void fail(int err, FileErrors::Access access = FileErrors::Access::Write);
    void dropPartialLine(const char* data);

    UiServices& ui_;
    int fd_ = -1;
    bool owned_ = false;
    bool regular_ = false;
    std::int64_t written_ = 0;  // offset after the last successful write
    int error_ = 0;
};

// Shows the file objects' message for a failure of the file layer (`err` an errno value,
// met while doing `access`), titled "Bivex".
void reportFileFailure(UiServices& ui, int err, FileErrors::Access access);

// What the user is told when the chosen target is a loaded file.
QString loadedTargetMessage();

// True when `path` names the same file (device and inode) as one of `loadedPaths`.
// A path that cannot be looked up names none of them.
bool isLoadedFile(const QString& path, const QStringList& loadedPaths);
