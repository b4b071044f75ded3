// Recording the edited cells into the file in view, or dropping them.
#include "fCompBynF.h"

#include <QAction>
#include <QPushButton>
#include <QRadioButton>

#include "AddressText.h"
#include "ByteGrid.h"
#include "PairView.h"
#include "UiServices.h"
#include "WindowRules.h"

using namespace GridGeometry;

void fCompBynF::knRecord_Click() {
    const RecordResult result = subRwcordByt();
    if (result == RecordResult::Refused) return;  // the edits stay, to be cancelled
    // Written, or written in part before a failure.
    endEditing();
    // After a reported failure the redraw would only say the same again.
    mRWByt& file = view_->fileInView();
    file.MsgView(result == RecordResult::Written);
    subShowDate(view_->intShowFile());
    file.MsgView(true);
}

// Writes the edited cells, and only those: a byte another program changed on the screen
// since it was drawn is not put back.
fCompBynF::RecordResult fCompBynF::subRwcordByt() {
    mRWByt& file = view_->fileInView();
    const std::int64_t base = view_->screenStart(view_->intShowFile()) + 1;
    file.OpenFileRW();
    if (file.Error() != 0) return RecordResult::Failed;  // reported by the file object
    if (refuseRecording(file)) {
        file.CloseFile();
        return RecordResult::Refused;
    }
    const ScreenModel& screen = grid_->model();
    bool failed = false;
    for (int i = 0; i < kCells && !failed; ++i) {
        if (!screen.isEdited(i)) continue;
        const int value = screen.value(i);
        if (value == screen.byte(i)) continue;  // changed back: nothing to write
        // One failed write is reported once; the rest of the screen is not attempted.
        failed = file.PutByt(value, base + i) != 0;
    }
    file.CloseFile();  // the cached bytes reach the file here; a failure is reported
    return !failed && file.Error() == 0 ? RecordResult::Written : RecordResult::Failed;
}

// Whether the open file is no longer the one the screen was read from (another file put
// under its name), or has become too short to hold an edited byte. Says so once.
bool fCompBynF::refuseRecording(const mRWByt& file) {
    QString why;
    if (file.OpenedIdentity() != view_->drawnIdentity(view_->intShowFile())) {
        why = QStringLiteral("» заменён другим файлом после того, как экран был прочитан.");
    } else {
        for (int i = 0; i < kCells; ++i) {
            const std::int64_t address = view_->screenStart(view_->intShowFile()) + i;
            if (grid_->model().isEdited(i) && address >= file.OpenedSize()) {
                why = QStringLiteral("» стал короче после того, как экран был прочитан: изменённый байт по адресу ") +
                      AddressText::funHexAdres(address) + QStringLiteral(" лежит за его концом.");
                break;
            }
        }
    }
    if (why.isEmpty()) return false;
    ui_.message(QStringLiteral("Ошибка"),
                QStringLiteral("Файл «") + file.Path() + why +
                    QStringLiteral(" Изменения не записаны; их можно отменить (Правка → Отмена)."),
                MessageIcon::Warning, MessageButtons::Ok);
    return true;
}

void fCompBynF::mnuCanscel_Click() {
    view_->setEditsPending(false);
    endEditing();
    subShowDate(view_->intShowFile());
}

// Recording or cancelling gives back what the first edit locked.
void fCompBynF::endEditing() {
    sets_.editUnlocks.setEnabled(true);
    if (view_->intLoadFile() == 2) sets_.twoFiles.setEnabled(true);
    subChangeMenu(false);
}
