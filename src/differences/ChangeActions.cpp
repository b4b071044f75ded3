#include "ChangeActions.h"

#include <QAction>
#include <QMainWindow>
#include <QStatusBar>

#include <algorithm>

#include "ChangeIndex.h"
#include "ChangesDock.h"
#include "ComparedFiles.h"
#include "GridGeometry.h"
#include "PairView.h"
#include "UiServices.h"
#include "WindowPort.h"
#include "mRWByt.h"

namespace {

// How long a line about a step or a transfer stays in the status bar.
constexpr int kNoticeMs = 8000;

}  // namespace

void stepChange(QMainWindow& window, PairView& view, ChangesDock& dock, bool forward) {
    if (view.intLoadFile() < 2 || view.editsPending() || view.intShowFile() == 0) return;
    const ChangeIndex& index = view.changes();
    using State = ChangeIndex::State;
    if (index.state() != State::Complete && index.state() != State::Stopped) {
        dock.showList();
        window.statusBar()->showMessage(QStringLiteral("Список изменений составляется: шаг по изменениям — когда он будет готов."), kNoticeMs);
        return;
    }
    const bool inA = view.intShowFile() == 1;
    const std::int64_t focused = view.focusedAddress(), start = view.screenStart(view.intShowFile());
    const std::int64_t position = focused >= 0 ? focused : (forward ? start - 1 : start);
    const std::vector<Change>& changes = index.changes();
    const auto at = [inA](const Change& c) { return inA ? c.addressA : c.addressB; };
    const auto after = std::upper_bound(changes.begin(), changes.end(), position,
                                        [&](std::int64_t p, const Change& c) { return p < at(c); });
    const auto before = std::lower_bound(changes.begin(), changes.end(), position,
                                         [&](const Change& c, std::int64_t p) { return at(c) < p; });
    if (forward ? after == changes.end() : before == changes.begin()) {
        window.statusBar()->showMessage(forward ? QStringLiteral("Больше изменений нет.") : QStringLiteral("Раньше изменений нет."),
                                        kNoticeMs);
        return;
    }
    const auto found = forward ? after : before - 1;
    dock.selectChange(std::size_t(found - changes.begin()));
    view.showAtAddresses(found->addressA, found->addressB);
}

void takeOver(WindowPort& port, int target, std::int64_t from, std::int64_t to, std::int64_t lengthFrom,
              std::int64_t lengthTo) {
    PairView& view = port.view();
    UiServices& ui = view.ui();
    const QString title = QStringLiteral("Перенос");
    const QString file = target == 1 ? QStringLiteral("А") : QStringLiteral("В");
    const auto refuse = [&](const QString& text) { ui.message(title, text, MessageIcon::Warning, MessageButtons::Ok); };
    if (view.intLoadFile() < 2) return;
    if (lengthFrom != lengthTo) {
        // What changes the length is carried over by a patch of all the changes.
        if (ui.message(title,
                       QStringLiteral("Это изменение меняет длину файла %1: перенести его на месте нельзя. "
                                      "Сохранить изменения как патч?").arg(file),
                       MessageIcon::Warning, MessageButtons::OkCancel) == MessageAnswer::Ok)
            if (QAction* patch = port.command(WindowPort::Command::SavePatch); patch && patch->isEnabled()) patch->trigger();
        return;
    }
    if (view.editsPending()) {
        refuse(QStringLiteral("Сначала запишите или отмените правки, которые уже ждут записи."));
        return;
    }
    if (view.file(target).FileAttr() & 1) {
        refuse(QStringLiteral("Файл %1 только для чтения: перенести в него изменение нельзя.").arg(file));
        return;
    }
    if (!view.writePermission()) {
        refuse(QStringLiteral("Перенос меняет файл %1: сначала разрешите запись (Параметры → Разрешить запись в файл).").arg(file));
        return;
    }
    // As far as the screen that shows its start: typed edits wait on one screen.
    const std::int64_t count = std::min(lengthFrom, GridGeometry::screenStartOf(to) + GridGeometry::kScreenBytes - to);
    QByteArray bytes(count, Qt::Uninitialized);
    const int source = target == 1 ? 2 : 1;
    if (view.files().reader(source - 1).read(from, reinterpret_cast<std::uint8_t*>(bytes.data()), count) != count) {
        refuse(QStringLiteral("Байты файла %1 прочитать не удалось.").arg(source == 1 ? QStringLiteral("А") : QStringLiteral("В")));
        return;
    }
    const int placed = port.placeEdits(target, to, bytes);
    if (placed < 0) return;
    QString told = QStringLiteral("Перенесено байтов: %1 — запишите их (Запись) или отмените (Правка → Отмена).").arg(placed);
    if (placed < lengthFrom)
        told = QStringLiteral("Перенесено %1 из %2 байтов, до конца экрана: запишите их, обновите список и перенесите остальное.")
                   .arg(placed)
                   .arg(lengthFrom);
    port.host().statusBar()->showMessage(told, kNoticeMs);
}

