#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <sys/stat.h>

// How the file objects describe a file: its modification date and time as the user reads
// them (local time) and the name after the last "/".
namespace FileStamp {

inline QString dateFormat() { return QStringLiteral("dd.MM.yyyy"); }
inline QString timeFormat() { return QStringLiteral("HH:mm:ss"); }

inline QString dateText(const QDateTime& when) { return when.toString(dateFormat()); }
inline QString timeText(const QDateTime& when) { return when.toString(timeFormat()); }
inline QDateTime modified(const struct stat& info) {
    return QDateTime::fromSecsSinceEpoch(info.st_mtim.tv_sec);
}
inline QDate toDate(const QString& text) { return QDate::fromString(text, dateFormat()); }
inline QTime toTime(const QString& text) { return QTime::fromString(text, timeFormat()); }

inline QString nameOf(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

}  // namespace FileStamp
