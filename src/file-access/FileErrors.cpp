#include "FileErrors.h"

#include "UiServices.h"

#include <cerrno>
#include <cstring>

namespace FileErrors {

int codeForErrno(int err, Access access) {
    switch (err) {
    case EBADF:
        return BadHandle;
    case ENOENT:
        return access == Access::Create ? PathNotFound : FileNotFound;
    case ETXTBSY:
    case EBUSY:
        return FileBusy;
    case EIO:
        return DeviceIo;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return DiskFull;
    case EACCES:
    case EPERM:
        return access == Access::Read ? PathAccess : PermissionDenied;
    case EROFS:
        return PermissionDenied;
    case ENODEV:
    case ENOMEDIUM:
        return DiskNotReady;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return PathNotFound;
    default:
        return PathAccess;  // ENXIO, EISDIR, EINVAL and whatever else the system may say
    }
}

namespace {

// The causes that the catch-all code 75 stands for, as a user would name them.
QString pathAccessCause(int err) {
    switch (err) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет права на чтение файла");
    case EISDIR:
        return QStringLiteral("Это папка, а не файл");
    case ENXIO:
        return QStringLiteral("Устройство отсутствует или канал никто не читает");
    default:
        return QStringLiteral("Ошибка доступа к пути или файлу");
    }
}

}  // namespace

QString description(int code, int err) {
    switch (code) {
    case TypeMismatch:
        return QStringLiteral("Несоответствие типа");
    case BadHandle:
        return QStringLiteral("Неверное имя или номер файла");
    case FileNotFound:
        return QStringLiteral("Файл не найден");
    case FileBusy:
        return QStringLiteral("Файл уже открыт");
    case DeviceIo:
        return QStringLiteral("Ошибка ввода-вывода устройства");
    case DiskFull:
        return QStringLiteral("Диск заполнен");
    case PermissionDenied:
        return QStringLiteral("Отказано в доступе");
    case DiskNotReady:
        return QStringLiteral("Устройство не готово");
    case PathAccess:
        return pathAccessCause(err);
    case PathNotFound:
        return QStringLiteral("Путь не найден");
    default:
        if (err > 0) return QString::fromLocal8Bit(std::strerror(err));
        return QStringLiteral("Неизвестная ошибка");
    }
}

QString fixedMessage(int code) {
    switch (code) {
    case NoPath:
        return QStringLiteral("Файл не указан. Необходимо указать полный путь и полное имя файла.");
    case BadValue:
        return QStringLiteral("Недопустимое значение. Байт может принимать значение от 0 до 255.");
    case AlreadyOpen:
        // The wording ("Оди") is what users of the program have always seen.
        return QStringLiteral("Оди файл уже открыт. Нельзя открыть более одного файла.");
    case EmptyFile:
        return QStringLiteral("Файл пустой и не содержит ни одного байта данных.");
    case BadHandle:
        return QStringLiteral("Нет доступа к файлу. Возможно он ещё не открыт или недоступен.");
    case FileBusy:
        return QStringLiteral("Нет доступа к файлу. Нельзя произвести запись в открытый файл.");
    case DeviceIo:
        return QStringLiteral("Диск в дисководе повреждён или не отформатирован.");
    case DiskFull:
        return QStringLiteral("Нет места на диске. Воспользуйтесь другим диском большего объёма.");
    case PermissionDenied:
        return QStringLiteral("Диск защищён от записи. Снимите защиту и повторите попытку.");
    case DiskNotReady:
        return QStringLiteral("Диск в дисководе отсутствует или повреждён.");
    default:
        return QString();
    }
}

QString messageText(Reporter reporter, int code, int err) {
    if (reporter == Reporter::TextFile) {
        if (code == NoPath) return QStringLiteral("Файл по указанному пути не найден.");
        if (code == TextFileGone) return QStringLiteral("Файл не указан.");
    }
    const QString fixed = fixedMessage(code);
    if (!fixed.isNull()) return fixed;
    if (reporter == Reporter::TextFile) return description(code, err);
    return QStringLiteral("Error №") + QString::number(code) + QStringLiteral(".     ") +
           description(code, err);
}

void showFailure(UiServices& ui, const QString& title, Reporter reporter, int code, int err) {
    ui.message(title, messageText(reporter, code, err), MessageIcon::Critical, MessageButtons::Ok);
}

}  // namespace FileErrors
