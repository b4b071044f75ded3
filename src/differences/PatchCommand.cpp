#include "PatchCommand.h"

#include <QAction>
#include <QMainWindow>
#include <QProgressDialog>
#include <QStatusBar>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

#include "ChangeIndex.h"
#include "FilePair.h"
#include "PairView.h"
#include "UiServices.h"
#include "VcdiffEncoder.h"
#include "WindowPort.h"
#include "mRWByt.h"

namespace {

// One patch being written: the worker's side.
struct Writing {
    std::atomic<std::int64_t> done{0}, total{1};
    std::atomic<bool> stop{false}, finished{false};
    VcdiffEncoder::Result result;
    QString failure;
};

void savePatch(WindowPort& port) {
    PairView& view = port.view();
    if (view.intLoadFile() < 2 || view.editsPending()) return;
    UiServices& ui = view.ui();
    FileDialogRequest request;
    request.title = QStringLiteral("Сохранить изменения как патч");
    request.fileName = view.FileAtributOne().Name() + QStringLiteral(".vcdiff");
    request.filter = QStringLiteral("Патч VCDIFF (*.vcdiff *.xdelta)|*.vcdiff *.xdelta|Все файлы (*.*)|*.*");
    request.defaultExtension = QStringLiteral("vcdiff");
    if (!ui.chooseSaveFile(request)) return;
    const QString path = request.fileName;

    auto files = std::make_shared<const FilePair>(view.FileAtributOne().Path(), view.FileAtributTwo().Path());
    // The list of changes saves finding them again, when it is of these very files.
    auto changes = std::make_shared<std::vector<Change>>();
    const ChangeIndex& index = view.changes();
    const bool listed = index.state() == ChangeIndex::State::Complete && index.files() &&
                        index.files()->unchangedOnDisk() && index.changes().size() == std::size_t(index.totals().changes);
    if (listed) *changes = index.changes();
    auto writing = std::make_shared<Writing>();
    std::thread worker([writing, files, changes, listed, path] {
        writing->result = VcdiffEncoder::writePatch(
            *files, path,
            [&](std::int64_t done, std::int64_t total) {
                writing->done = done;
                writing->total = std::max<std::int64_t>(total, 1);
                return !writing->stop.load();
            },
            listed ? changes.get() : nullptr);
        writing->failure = VcdiffEncoder::failureText(writing->result, *files, path);
        writing->finished = true;
    });

    // The window goes on painting while the worker writes; "Стоп" leaves no patch behind.
    QProgressDialog progress(QStringLiteral("Запись патча «%1»…").arg(path), QStringLiteral("Стоп"), 0, 1000, &port.host());
    progress.setObjectName(QStringLiteral("patchProgress"));
    progress.setWindowTitle(request.title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, &progress, [&] {
        progress.setValue(int(writing->done * 1000 / writing->total));
        if (writing->finished) progress.close();
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] { writing->stop = true; });
    pace.start(50);
    if (!writing->finished) progress.exec();
    writing->stop = writing->stop || progress.wasCanceled();
    worker.join();
    pace.stop();

    using Outcome = VcdiffEncoder::Outcome;
    switch (writing->result.outcome) {
    case Outcome::Written:
        port.host().statusBar()->showMessage(QStringLiteral("Патч записан в «%1».").arg(path), 8000);
        break;
    case Outcome::Stopped:
        port.host().statusBar()->showMessage(QStringLiteral("Запись патча остановлена; файл не записан."), 8000);
        break;
    default:
        ui.message(QStringLiteral("Ошибка"), writing->failure, MessageIcon::Critical, MessageButtons::Ok);
        break;
    }
}

}  // namespace

void installPatchCommand(WindowPort& window) {
    QObject::connect(window.command(WindowPort::Command::SavePatch), &QAction::triggered, &window.host(),
                     [&window] { savePatch(window); });
}
