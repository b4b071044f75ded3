#include "ComparedFiles.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <sys/statfs.h>

#include "FileLayer.h"
#include "mRWByt.h"

namespace {

// File systems that another machine may write without this one hearing of it.
bool heardOfEveryWrite(const QString& path) {
    struct statfs info {};
    if (::statfs(FileLayer::encodeName(path).constData(), &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x6969:      // NFS
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x517B:      // SMB
    case 0x65735546:  // FUSE
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
    case 0x5346414F:  // AFS
        return false;
    default:
        return true;
    }
}

}  // namespace

ComparedFiles::ComparedFiles(QObject* parent) : QObject(parent) {
    watcher_ = new QFileSystemWatcher(this);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &ComparedFiles::heardFromDisk);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &ComparedFiles::heardFromDisk);
    writeObserver_ = mRWByt::addWriteObserver(
        [this](const FileIdentity& file, std::int64_t from, std::int64_t to) { written(file, from, to); });
}

ComparedFiles::~ComparedFiles() { mRWByt::removeWriteObserver(writeObserver_); }

void ComparedFiles::setPath(int slot, const QString& path) {
    SlotReader& reader = readers_[std::size_t(slot)];
    const bool same = !path.isEmpty() && path == reader.path() && reader.isOpen() && !reader.changedOnDisk();
    if (same) return;
    reader.open(path);
    watch();
    emit bytesMayHaveChanged(slot);
}

void ComparedFiles::noteWritten(const QString& path) {
    const FileIdentity file = FileIdentity::ofPath(path);
    for (int slot : {A, B}) {
        const SlotReader& reader = readers_[std::size_t(slot)];
        if (reader.path().isEmpty()) continue;
        if (reader.path() == path || file == reader.identity()) changed(slot);
    }
}

void ComparedFiles::written(const FileIdentity& file, std::int64_t from, std::int64_t to) {
    for (int slot : {A, B}) {
        if (readers_[std::size_t(slot)].path().isEmpty() || file != readers_[std::size_t(slot)].identity()) continue;
        changed(slot);
        emit bytesWritten(slot, from, to);
    }
}

std::array<SlotReader::Look, 2> ComparedFiles::checkDisk() {
    std::array<SlotReader::Look, 2> looks{SlotReader::Look::Same, SlotReader::Look::Same};
    for (int slot : {A, B}) {
        looks[std::size_t(slot)] = readers_[std::size_t(slot)].look();
        if (looks[std::size_t(slot)] != SlotReader::Look::Same) {
            if (looks[std::size_t(slot)] == SlotReader::Look::Replaced) watch();
            emit bytesMayHaveChanged(slot);
            emit lookedAgain(slot);
        }
    }
    return looks;
}

void ComparedFiles::changed(int slot) {
    // The reader takes the disk's stamp of what was written: a later look tells nothing new.
    if (readers_[std::size_t(slot)].look() == SlotReader::Look::Replaced) watch();
    emit bytesMayHaveChanged(slot);
}

void ComparedFiles::heardFromDisk() {
    // The file system tells of a write, a new name or a new file; the disk says whether
    // it concerns a slot's file (the same stamp: a write of ours, told already).
    bool rewatch = false;
    for (int slot : {A, B}) {
        const SlotReader& reader = readers_[std::size_t(slot)];
        if (reader.path().isEmpty() || !reader.changedOnDisk()) continue;
        rewatch |= FileIdentity::ofPath(reader.path()) != reader.identity();
        emit bytesMayHaveChanged(slot);
    }
    // A file put in another's place is watched from now on.
    if (rewatch) watch();
}

void ComparedFiles::watch() {
    const QStringList before = watcher_->files() + watcher_->directories();
    if (!before.isEmpty()) watcher_->removePaths(before);
    for (int slot : {A, B}) {
        const QString& path = readers_[std::size_t(slot)].path();
        watched_[std::size_t(slot)] = false;
        if (path.isEmpty()) continue;
        // The folder too: a file put under the name is a change of the folder.
        const QString folder = QFileInfo(path).absolutePath();
        const bool file = watcher_->files().contains(path) || watcher_->addPath(path);
        const bool dir = watcher_->directories().contains(folder) || watcher_->addPath(folder);
        watched_[std::size_t(slot)] = file && dir && heardOfEveryWrite(path);
    }
}
