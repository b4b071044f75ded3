#include "BlockTransferCommands.h"

#include <QAction>

#include "BlockDialog.h"
#include "ComparedFiles.h"
#include "fCompBynF.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "frpSave.h"

namespace {

// Owns what the three dialogs remember; each use builds a dialog afresh and throws it
// away when it closes.
class BlockTransferCommands : public QObject {
public:
    explicit BlockTransferCommands(fCompBynF& window) : QObject(&window), window_(window) {
        connectAction(fCompBynF::Command::SaveBlock, &BlockTransferCommands::mnuSave_Click);
        connectAction(fCompBynF::Command::LoadBlock, &BlockTransferCommands::mnuLoad_Click);
        connectAction(fCompBynF::Command::NewFile, &BlockTransferCommands::mnuNew_Click);
    }

private:
    void connectAction(fCompBynF::Command command, void (BlockTransferCommands::*handler)()) {
        connect(window_.command(command), &QAction::triggered, this, handler);
    }

    void mnuSave_Click() {
        if (window_.intShowFile < 1) return;
        frpSave dialog(window_.ui(), window_.inView().file, saveState_, &window_);
        dialog.exec();
        redrawIfLoaded(dialog.writtenFile());
    }
    void mnuLoad_Click() {
        if (window_.intShowFile < 1) return;
        const QString target = window_.inView().file.Path();
        frpLoad dialog(window_.ui(), window_.inView().file, loadState_, [this, target] {
            window_.comparedFiles().noteWritten(target);
            if (window_.intShowFile > 0) window_.subShowDate(window_.intShowFile);
        }, &window_);
        dialog.exec();
    }
    void mnuNew_Click() {
        frpNew dialog(window_.ui(), newState_, &window_);
        dialog.exec();
        redrawIfLoaded(dialog.writtenFile());
    }

    // A block saved or a file filled into one of the loaded files (under whatever name)
    // shows on the screen at once rather than at the next redraw; the file in view is read
    // afresh, as "Обновить" does, since it may have grown. Pending cell edits are left as
    // they stand: a redraw would take their marks off the screen.
    void redrawIfLoaded(const QString& written) {
        if (written.isEmpty()) return;
        window_.comparedFiles().noteWritten(written);
        if (window_.intShowFile < 1 || window_.changesPending()) return;
        if (BlockTransfer::sameFile(written, window_.inView().file.Path()))
            window_.rereadFileInView();
        else if (BlockTransfer::sameFile(written, window_.other().file.Path()))
            window_.subShowDate(window_.intShowFile);
    }

    fCompBynF& window_;
    BlockState saveState_;
    BlockState loadState_;
    BlockState newState_;
};

}  // namespace

void installBlockTransferCommands(fCompBynF& window) { new BlockTransferCommands(window); }
