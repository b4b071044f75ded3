#include "RowExport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

#include "FileErrors.h"
#include "FileIdentity.h"
#include "FileLayer.h"
#include "ReplacingOutput.h"
#include "UiServices.h"

QString writeWhole(const QString& path, const QByteArray& text) {
    ReplacingOutput output;
    int error = output.open(path);
    if (error == 0) {
        const std::int64_t written = FileLayer::write(output.fd(), text.constData(), text.size());
        error = written < 0 ? int(written) : output.commit();
    }
    if (error == 0) return {};
    return FileErrors::description(FileErrors::codeForErrno(-error, FileErrors::Access::Write), -error);
}

void addRowExport(QTableView& table, UiServices& ui, std::function<QString(int row)> line,
                  std::function<QStringList()> loaded, const QString& suggestedName) {
    auto* copy = new QAction(QStringLiteral("Копировать"), &table);
    copy->setObjectName(table.objectName() + QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Insert));
    auto* save = new QAction(QStringLiteral("Сохранить список…"), &table);
    save->setObjectName(table.objectName() + QStringLiteral("Save"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    for (QAction* action : {copy, save}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setShortcutVisibleInContextMenu(true);
        table.addAction(action);
    }
    table.setContextMenuPolicy(Qt::ActionsContextMenu);

    QObject::connect(copy, &QAction::triggered, &table, [&table, line] {
        QList<int> rows;
        for (const QModelIndex& index : table.selectionModel()->selectedRows()) rows << index.row();
        if (rows.isEmpty() && table.currentIndex().isValid()) rows << table.currentIndex().row();
        std::sort(rows.begin(), rows.end());
        QString text;
        for (int row : rows) text += line(row) + QLatin1Char('\n');
        if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    });
    QObject::connect(save, &QAction::triggered, &table, [&table, &ui, line, loaded, suggestedName] {
        const int rows = table.model()->rowCount();
        if (rows == 0) return;
        FileDialogRequest request;
        request.title = QStringLiteral("Сохранить список");
        request.fileName = suggestedName;
        request.filter = QStringLiteral("Текст (*.txt)|*.txt|Все файлы (*.*)|*.*");
        request.defaultExtension = QStringLiteral("txt");
        if (!ui.chooseSaveFile(request)) return;
        const QString path = request.fileName;
        if (FileIdentity::ofPath(path).isOneOf(loaded())) {
            ui.message(QStringLiteral("Ошибка"), QStringLiteral("Файл «") + path +
                           QStringLiteral("» открыт в окне; список в него не записан."),
                       MessageIcon::Warning, MessageButtons::Ok);
            return;
        }
        QByteArray text;
        for (int row = 0; row < rows; ++row) text += (line(row) + QLatin1Char('\n')).toUtf8();
        if (const QString failure = writeWhole(path, text); !failure.isEmpty())
            ui.message(QStringLiteral("Ошибка"),
                       QStringLiteral("Список не записан в «") + path + QStringLiteral("»: ") + failure + QLatin1Char('.'),
                       MessageIcon::Critical, MessageButtons::Ok);
    });
}

void addTakeOver(QTableView& table, std::function<void(int target)> take) {
    const struct {
        const char* name;
        QString caption;
        Qt::Key key;
        int target;
    } actions[] = {{"TakeToB", QStringLiteral("Перенести в файл В"), Qt::Key_B, 2},
                   {"TakeToA", QStringLiteral("Перенести в файл А"), Qt::Key_A, 1}};
    for (const auto& a : actions) {
        auto* action = new QAction(a.caption, &table);
        action->setObjectName(table.objectName() + QLatin1String(a.name));
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | a.key));
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setShortcutVisibleInContextMenu(true);
        table.insertAction(table.actions().value(0), action);
        QObject::connect(action, &QAction::triggered, &table, [take, target = a.target] { take(target); });
    }
    table.setContextMenuPolicy(Qt::ActionsContextMenu);
}
