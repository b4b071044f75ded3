#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

#include "FileIdentity.h"
#include "SlotReader.h"

class QFileSystemWatcher;

// The two files being compared, as far as anyone who keeps a result about their bytes
// needs to know: which file each slot holds, read through one reader per slot, and
// whether its bytes may have changed since. Every write through a file object of the
// program tells it (see mRWByt::addWriteObserver); another program's writes and
// replacements are heard from the file system while the window waits, and a redraw
// looks at the disk as well. Results go out of date on that signal only, never because
// some command was chosen.
class ComparedFiles : public QObject {
    Q_OBJECT

public:
    enum Slot { A = 0, B = 1 };

    explicit ComparedFiles(QObject* parent = nullptr);
    ~ComparedFiles() override;

    QString path(int slot) const { return readers_[std::size_t(slot)].path(); }
    bool bothLoaded() const { return !path(A).isEmpty() && !path(B).isEmpty(); }
    // The slot's file as shown: the one place its bytes are read for display.
    const SlotReader& reader(int slot) const { return readers_[std::size_t(slot)]; }

    // The window names what a slot holds ("" for none), and the file is opened for reading.
    // Another file there is a change of the slot's bytes; the same file named again is not.
    void setPath(int slot, const QString& path);
    // A write into the file at `path` (by a writer that has no file object of ours): each
    // slot that holds that file, under any name, has changed.
    void noteWritten(const QString& path);
    // A redraw looks at the disk: a slot whose file has been written since the last look has
    // changed, and one whose name now stands for another file is opened anew. Returns what
    // each slot's look found.
    std::array<SlotReader::Look, 2> checkDisk();

    // Whether another program's writes into the slot's file are heard as they happen. A
    // file system of another machine tells nothing of them; then only the stamp checks at a
    // redraw and at the end of each scan do.
    bool watched(int slot) const { return watched_[std::size_t(slot)]; }

signals:
    void bytesMayHaveChanged(int slot);
    // A file object of the program wrote [from, to) of the slot's file.
    void bytesWritten(int slot, std::int64_t from, std::int64_t to);
    // A look at the disk found the slot's file written or replaced since the last look:
    // what the screen shows of it may be old.
    void lookedAgain(int slot);

private:
    void changed(int slot);
    void written(const FileIdentity& file, std::int64_t from, std::int64_t to);
    void heardFromDisk();
    void watch();

    std::array<SlotReader, 2> readers_;
    std::array<bool, 2> watched_{};
    QFileSystemWatcher* watcher_ = nullptr;
    int writeObserver_ = 0;
};
