#include "RangeCommands.h"

#include <QAction>

#include "RangeState.h"
#include <QMainWindow>

#include "PairView.h"
#include "WindowPort.h"
#include "frpChSearch.h"
#include "frpFill.h"
#include "frpReplace.h"
#include "frpSearch.h"

namespace {

// Owns the range dialogs of one window. The searches are kept while hidden, so that
// "Далее" continues; every other ending throws a dialog away, and the next use loads it
// afresh. The state each dialog remembers lives here, outside the dialogs.
class RangeCommands : public QObject {
public:
    explicit RangeCommands(WindowPort& window) : QObject(&window.host()), window_(window), view_(window.view()) {
        connectAction(WindowPort::Command::Search, &RangeCommands::mnuSearch_Click);
        connectAction(WindowPort::Command::MismatchSearch, &RangeCommands::mnuChSearch_Click);
        connectAction(WindowPort::Command::Replace, &RangeCommands::mnuReplace_Click);
        connectAction(WindowPort::Command::Fill, &RangeCommands::mnuFill_Click);
        connect(&view_, &PairView::searchDialogsDiscarded, this, [this] {
            discard(chSearch_);
            discard(search_);
        });
    }

private:
    void connectAction(WindowPort::Command command, void (RangeCommands::*handler)()) {
        connect(window_.command(command), &QAction::triggered, this, handler);
    }

    template <typename Dialog>
    static void discard(Dialog*& dialog) {
        delete dialog;
        dialog = nullptr;
    }
    // Shows the dialog modally; a dialog that ended by discarding itself is deleted.
    template <typename Dialog>
    static void run(Dialog*& dialog) {
        dialog->exec();
        if (dialog && dialog->discarded()) discard(dialog);
    }

    void mnuSearch_Click() {
        if (view_.intShowFile() < 1) return;
        if (!search_) {
            discard(chSearch_);
            search_ = new frpSearch(view_, searchState_, &window_.host());
        }
        run(search_);
    }
    void mnuChSearch_Click() {
        if (view_.intLoadFile() != 2) return;
        if (!chSearch_) {
            discard(search_);
            chSearch_ = new frpChSearch(view_, chSearchState_, &window_.host());
        }
        run(chSearch_);
    }
    void mnuReplace_Click() {
        if (view_.intShowFile() < 1) return;
        discard(chSearch_);
        discard(search_);
        frpReplace* dialog = new frpReplace(view_, replaceState_, &window_.host());
        run(dialog);
        delete dialog;
    }
    void mnuFill_Click() {
        if (view_.intShowFile() < 1) return;
        discard(chSearch_);
        discard(search_);
        frpFill* dialog = new frpFill(view_, fillState_, &window_.host());
        run(dialog);
        delete dialog;
    }

    WindowPort& window_;
    PairView& view_;
    SearchState searchState_;
    SearchState chSearchState_;
    ByteState replaceState_;
    ByteState fillState_;
    frpSearch* search_ = nullptr;
    frpChSearch* chSearch_ = nullptr;
};

}  // namespace

void installRangeCommands(WindowPort& window) { new RangeCommands(window); }
