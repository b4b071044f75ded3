#include "RangeCommands.h"

#include <QAction>

#include "RangeState.h"
#include "fCompBynF.h"
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
    explicit RangeCommands(fCompBynF& window) : QObject(&window), window_(window) {
        connectAction(fCompBynF::Command::Search, &RangeCommands::mnuSearch_Click);
        connectAction(fCompBynF::Command::MismatchSearch, &RangeCommands::mnuChSearch_Click);
        connectAction(fCompBynF::Command::Replace, &RangeCommands::mnuReplace_Click);
        connectAction(fCompBynF::Command::Fill, &RangeCommands::mnuFill_Click);
        connect(&window_, &fCompBynF::searchDialogsDiscarded, this, [this] {
            discard(chSearch_);
            discard(search_);
        });
    }

private:
    void connectAction(fCompBynF::Command command, void (RangeCommands::*handler)()) {
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
        if (window_.intShowFile < 1) return;
        if (!search_) {
            discard(chSearch_);
            search_ = new frpSearch(window_, searchState_, &window_);
        }
        run(search_);
    }
    void mnuChSearch_Click() {
        if (window_.loadedFileCount() != 2) return;
        if (!chSearch_) {
            discard(search_);
            chSearch_ = new frpChSearch(window_, chSearchState_, &window_);
        }
        run(chSearch_);
    }
    void mnuReplace_Click() {
        if (window_.intShowFile < 1) return;
        discard(chSearch_);
        discard(search_);
        frpReplace* dialog = new frpReplace(window_, replaceState_, &window_);
        run(dialog);
        delete dialog;
    }
    void mnuFill_Click() {
        if (window_.intShowFile < 1) return;
        discard(chSearch_);
        discard(search_);
        frpFill* dialog = new frpFill(window_, fillState_, &window_);
        run(dialog);
        delete dialog;
    }

    fCompBynF& window_;
    SearchState searchState_;
    SearchState chSearchState_;
    ByteState replaceState_;
    ByteState fillState_;
    frpSearch* search_ = nullptr;
    frpChSearch* chSearch_ = nullptr;
};

}  // namespace

void installRangeCommands(fCompBynF& window) { new RangeCommands(window); }
