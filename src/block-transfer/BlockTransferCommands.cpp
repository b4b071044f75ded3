#include "BlockTransferCommands.h"

#include <QAction>

#include <QMainWindow>

#include "BlockDialog.h"
#include "PairView.h"
#include "WindowPort.h"
#include "mRWByt.h"
#include "frpLoad.h"
#include "frpNew.h"
#include "frpSave.h"

namespace {

// Owns what the three dialogs remember; each use builds a dialog afresh and throws it
// away when it closes.
class BlockTransferCommands : public QObject {
public:
    explicit BlockTransferCommands(WindowPort& window)
        : QObject(&window.host()), window_(window), view_(window.view()) {
        connectAction(WindowPort::Command::SaveBlock, &BlockTransferCommands::mnuSave_Click);
        connectAction(WindowPort::Command::LoadBlock, &BlockTransferCommands::mnuLoad_Click);
        connectAction(WindowPort::Command::NewFile, &BlockTransferCommands::mnuNew_Click);
    }

private:
    void connectAction(WindowPort::Command command, void (BlockTransferCommands::*handler)()) {
        connect(window_.command(command), &QAction::triggered, this, handler);
    }

    void mnuSave_Click() {
        if (view_.intShowFile() < 1) return;
        frpSave dialog(view_.ui(), view_.fileInView(), saveState_, &window_.host());
        dialog.exec();
        redrawIfLoaded(dialog.writtenFile());
    }
    void mnuLoad_Click() {
        if (view_.intShowFile() < 1) return;
        frpLoad dialog(view_.ui(), view_.fileInView(), loadState_, [this] {
            if (view_.intShowFile() > 0) view_.subShowDate(view_.intShowFile());
        }, &window_.host());
        dialog.exec();
    }
    void mnuNew_Click() {
        frpNew dialog(view_.ui(), newState_, &window_.host());
        dialog.exec();
        redrawIfLoaded(dialog.writtenFile());
    }

    // A block saved or a file filled into one of the loaded files (under whatever name)
    // shows on the screen at once rather than at the next redraw; the file in view is read
    // afresh, as "Обновить" does, since it may have grown. Pending cell edits are left as
    // they stand: a redraw would take their marks off the screen.
    void redrawIfLoaded(const QString& written) {
        if (written.isEmpty() || view_.intShowFile() < 1 || view_.editsPending()) return;
        if (BlockTransfer::sameFile(written, view_.fileInView().Path()))
            window_.rereadFileInView();
        else if (BlockTransfer::sameFile(written, view_.file(view_.other()).Path()))
            view_.subShowDate(view_.intShowFile());
    }

    WindowPort& window_;
    PairView& view_;
    BlockState saveState_;
    BlockState loadState_;
    BlockState newState_;
};

}  // namespace

void installBlockTransferCommands(WindowPort& window) { new BlockTransferCommands(window); }
