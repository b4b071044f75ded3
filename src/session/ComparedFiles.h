#pragma once

#include <QObject>
#include <QString>

#include <array>

#include "FileIdentity.h"

// The two files being compared, as far as anyone who keeps a result about their bytes
// needs to know: which file each slot holds and whether its bytes may have changed since.
// Whoever writes into a file says so here; a redraw asks the disk. Results go out of date
// on that signal only, never because some command was chosen.
class ComparedFiles : public QObject {
    Q_OBJECT

public:
    enum Slot { A = 0, B = 1 };

    explicit ComparedFiles(QObject* parent = nullptr) : QObject(parent) {}

    QString path(int slot) const { return slots_[std::size_t(slot)].path; }
    bool bothLoaded() const { return !slots_[A].path.isEmpty() && !slots_[B].path.isEmpty(); }

    // The window names what a slot holds ("" for none). Another file there is a change of
    // the slot's bytes; the same file named again is not.
    void setPath(int slot, const QString& path);
    // Every writer calls this once it has written, or may have written, into the file at
    // `path`: each slot that holds that file, under any name, has changed.
    void noteWritten(const QString& path);
    // A redraw looks at the disk: a slot whose file has been replaced, resized or written
    // since the last look has changed (another program may have written it).
    void checkDisk();

signals:
    void bytesMayHaveChanged(int slot);

private:
    struct Loaded {
        QString path;
        DiskStamp stamp;
    };
    void changed(int slot);
    std::array<Loaded, 2> slots_;
};
