#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <cstdint>

#include "FileErrors.h"

class UiServices;

// The text file object: writes (and reads) a text file line by line. Lines are written
// in CP1251 and end in CR LF. Same conventions as mRWByt: no member throws, a code stays
// in Error(), failures are shown in a message box titled MsgTitle.
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
    void CloseFile();
    std::int64_t Item() const { return item_; }
    void Delete();

private:
    void subFileInfo();
    void subErrMessage(int code);
    void reportLayerError(int err, FileErrors::Access access = FileErrors::Access::Write);
    // One byte of input: 1 and the byte, 0 at the end of the file, or -errno.
    int readByte(std::uint8_t& byte);

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
};
