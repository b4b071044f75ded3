#include "ComparedFiles.h"

void ComparedFiles::setPath(int slot, const QString& path) {
    Loaded& loaded = slots_[std::size_t(slot)];
    const DiskStamp now = DiskStamp::ofPath(path);
    const bool same = !path.isEmpty() && path == loaded.path && now == loaded.stamp;
    loaded.path = path;
    loaded.stamp = now;
    if (!same) emit bytesMayHaveChanged(slot);
}

void ComparedFiles::noteWritten(const QString& path) {
    const FileIdentity written = FileIdentity::ofPath(path);
    for (int slot : {A, B}) {
        const Loaded& loaded = slots_[std::size_t(slot)];
        if (loaded.path.isEmpty()) continue;
        if (loaded.path == path || written == loaded.stamp.identity) changed(slot);
    }
}

void ComparedFiles::checkDisk() {
    for (int slot : {A, B}) {
        const Loaded& loaded = slots_[std::size_t(slot)];
        if (!loaded.path.isEmpty() && DiskStamp::ofPath(loaded.path) != loaded.stamp) changed(slot);
    }
}

void ComparedFiles::changed(int slot) {
    Loaded& loaded = slots_[std::size_t(slot)];
    loaded.stamp = DiskStamp::ofPath(loaded.path);
    emit bytesMayHaveChanged(slot);
}
