#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "WindowPort.h"
#include "mRWByt.h"

class QAction;
class QLabel;
class LineLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QFrame;
class QKeyEvent;
class QButtonGroup;
class ByteGrid;
class PairView;
class ProgressBarAdapter;
class UiServices;
class frpAdress;

// A named group of commands (menu items and buttons) that are switched on or off together.
class CommandSet {
public:
    CommandSet() = default;
    CommandSet(std::initializer_list<QObject*> commands) : commands_(commands) {}
    void setEnabled(bool on) const;
    // This set with the commands of `other` added, or taken out.
    CommandSet with(const CommandSet& other) const;
    CommandSet without(const CommandSet& other) const;

private:
    std::vector<QObject*> commands_;
};

// The main window: it shows the view of the pair (PairView) — the two file slots, the
// screen of 256 bytes, the modes — and turns menu commands, buttons, keys and focus changes
// into calls on it. Member functions are spread over files by concern:
//   fCompBynF.cpp          construction, layout, menus, start-up state, shortcut routing
//   fCompBynFOpen.cpp      opening files (menu and command line)
//   fCompBynFClose.cpp     closing files
//   fCompBynFRender.cpp    drawing and comparing the screen, position indicator
//   fCompBynFNavigate.cpp  paging, go-to, synchronised paging
//   fCompBynFEdit.cpp      write permission and cell editing
//   fCompBynFRecord.cpp    recording and cancelling edits
//   fCompBynFHelp.cpp      help and about
//   fCompBynFKeyboard.cpp  the keyboard's ways between the menu bar, the grid, the buttons and panels
class fCompBynF : public QMainWindow, public WindowPort {
    Q_OBJECT

public:
    explicit fCompBynF(UiServices& ui, QWidget* parent = nullptr);
    ~fCompBynF() override;

    using Command = WindowPort::Command;

    // ---- What the features use (WindowPort) ----
    QMainWindow& host() override { return *this; }
    PairView& view() override { return *view_; }
    QAction* command(Command command) const override;
    ProgressBarAdapter& positionBar() override { return *progress; }
    QLabel* progressCaption() const override { return lbProgressBar; }
    void rereadFileInView() override;
    QString shownCellText(int cell) const override;
    int placeEdits(int number, std::int64_t address, const QByteArray& bytes) override;
    void showInPlaceOfForm(QWidget* widget) override;

    UiServices& ui() { return ui_; }
    // One file slot as the window shows it: its file, its screen start and the controls
    // that show it. A view over the window's own members, cheap to make.
    struct FileSlot {
        int number;  // 1 file A, 2 file B
        mRWByt& file;
        QLabel* caption;  // "Файл А:" / "Файл В:", dark red while the file is in view
        QLabel* path;
        QLabel* size;
        QLabel* dateTime;
        QRadioButton* viewButton;
    };
    FileSlot slot(int number);  // 1 file A, any other value file B

    // ---- Public operations (the view's, where the window draws) ----
    void subShowDate(int NumberFile);
    void subSearchAddr(std::int64_t& AdresSearch, int TypeSearch);
    static std::int64_t funScreenAdres(std::int64_t address);

    // Opens FILE_A [FILE_B] given on the command line as the open commands would.
    void openFromCommandLine(const QStringList& paths);

    // Folder in which the help command looks for its files (helpFolder of the binary's
    // folder by default).
    void setProgramFolder(const QString& folder) { programFolder_ = folder; }
    QString programFolder() const;
    // Where a binary in `binaryFolder` keeps its help: ../share/bivex when installed,
    // else the binary's own folder (the build tree).
    static QString helpFolder(const QString& binaryFolder);

    // ---- Read-only view of the state, for tests ----
    mRWByt& FileAtributOne();
    mRWByt& FileAtributTwo();
    int loadedFileCount() const;
    std::int64_t screenStartOne() const;
    std::int64_t screenStartTwo() const;
    bool changesPending() const;
    QString enteredCellText() const { return strOldByt; }
    ByteGrid& grid() { return *grid_; }

    // Menu and button commands (each a user action).
    void mnuLoadFileA_Click();
    void mnuLoadFileB_Click();
    void mnuDelFileB_Click();
    void mnuDelAll_Click();
    void mnuExit_Click();
    void mnuRefresh_Click();
    void mnuDOS_Click();
    void mnuSynchro_Click();
    // Synchronised paging at a shift: asks for it, then pages both files together at it.
    void mnuSynchroShift_Click();
    void mnuEdit_Click();
    void mnuNext_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void knViweOne_Click();
    void knViweTwo_Click();
    // The file not in view, as its option button would show it.
    void mnuOtherFile_Click();
    void knRecord_Click();
    void mnuRec_Click() { knRecord_Click(); }
    void mnuCanscel_Click();
    void subUp();
    void subDown();

    // Cell events (index 0..255); the grid forwards them.
    void plByt0_GotFocus(int index);
    void plByt0_LostFocus(int index);
    // KeyAscii is the CP1251 code of the typed character; returns true when the key is
    // one of the navigation keys, which are never typed into the cell.
    bool plByt0_KeyPress(int index, int KeyAscii);
    void lbSumbol_Click(int index);

signals:
    // "Выход" or closing the window: the application ends.
    void exitRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void handBackKeyboard(QObject* hidden);
    // keyboard paths; true when the key was taken
    bool keyboardPath(QWidget* focus, const QKeyEvent* key);
    QList<QWidget*> focusAreas() const;
    void moveToArea(bool forward);
    void enterMenuBar();
    // construction
    void buildMenus();
    void buildLayout();
    void followView();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, void (fCompBynF::*handler)());
    void Form_Load();
    void subInitScreen();
    bool Form_KeyDown(int key);
    bool isOurShortcut(const QKeySequence& sequence) const;
    void showModes();

    // opening
    void subOpenFile();
    bool openPath(const QString& path);
    void openInFreeSlots(const QStringList& paths);
    void subRefreshCells();
    void showFileLabels(const FileSlot& slot);
    void clearFileLabels(const FileSlot& slot);
    void buildCommandSets();
    void showReadOnlyIndicator(const mRWByt& file);
    void selectViewButton(QRadioButton* button);
    void deselectViewButtons();

    // rendering
    void subCompare(int NumberFile);
    int readScreen(int number, std::int64_t start, std::array<int, 256>& bytes);
    void subShowAdres(std::int64_t screenStart);
    void subProgressBarMoment();
    void refreshFocusedCellEntry();

    // editing and recording
    void subLockByt();
    void subCheckByt(int index);
    void subChangeMenu(bool on);
    enum class RecordResult { Written, Failed, Refused };
    RecordResult subRwcordByt();
    bool refuseRecording(const mRWByt& file);
    void endEditing();
    bool writePermission() const;

    UiServices& ui_;
    std::unique_ptr<PairView> view_;
    QString programFolder_;
    QString strOldByt;  // the focused cell's text as it was entered
    bool drawing_ = false;  // a screen is being drawn

    std::vector<QAction*> shortcutActions_;  // the commands that have a shortcut

    // What each state of the window enables (see buildCommandSets).
    struct CommandSets {
        CommandSet file;        // a loaded file A
        CommandSet twoFiles;    // file B loaded beside it
        CommandSet write;       // write permission on a writable file
        CommandSet loaded;      // everything off again with no file
        CommandSet record;      // edits wait to be recorded or cancelled
        CommandSet editLocks;   // what the first edit switches off
        CommandSet editUnlocks; // what recording or cancelling gives back
    } sets_;

public:
    // The window's progress bar, for the dialogs' long loops.
    std::unique_ptr<ProgressBarAdapter> progress;

private:
    bool shownBefore_ = false;  // the first showing gives the window its designed size
    // ---- Controls, named as their objectName ----
    ByteGrid* grid_ = nullptr;
    QWidget* buttonRow_ = nullptr;  // Запись, Перейти, Файл А/В, Вверх/Вниз: one Ctrl+Tab area
    QWidget* form_ = nullptr;       // the screen of bytes with its labels and buttons
    QPointer<QWidget> inPlace_;     // shown in the form's place, while it is
    // the go-to dialog is created on first use and then only hidden
    frpAdress* goToDialog_ = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuNew = nullptr;
    QAction* mnuLoadFileA = nullptr;
    QAction* mnuLoadFileB = nullptr;
    QAction* mnuLoad = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveList = nullptr;
    QAction* mnuSaveBlock = nullptr;
    QAction* mnuSaveFile = nullptr;
    QAction* mnuSaveNoByt = nullptr;
    QAction* mnuDelFileB = nullptr;
    QAction* mnuDelAll = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuSavePatch = nullptr;
    QMenu* mnuEditHost = nullptr;
    QAction* mnuRec = nullptr;
    QAction* mnuCanscel = nullptr;
    QAction* mnuReplace = nullptr;
    QAction* mnuFill = nullptr;
    QAction* mnuRefresh = nullptr;
    QMenu* mnuService = nullptr;
    QAction* mnuNext = nullptr;
    QAction* mnuOtherFile = nullptr;
    QAction* mnuSearch = nullptr;
    QAction* mnuChSearch = nullptr;
    QAction* mnuMismatchList = nullptr;
    QAction* mnuNextMismatch = nullptr;
    QAction* mnuPreviousMismatch = nullptr;
    QAction* mnuChangeList = nullptr;
    QAction* mnuValues = nullptr;
    QAction* mnuAligned = nullptr;
    QAction* mnuNextChange = nullptr;
    QAction* mnuPreviousChange = nullptr;
    QMenu* mduSetup = nullptr;
    QAction* mnuSynchro = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuDOS = nullptr;
    QAction* mnuSynchroShift = nullptr;
    QMenu* mnuHelpMenu = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;

    QRadioButton* knViweOne = nullptr;
    QRadioButton* knViweTwo = nullptr;
    QButtonGroup* viewButtons = nullptr;
    QPushButton* knUp = nullptr;
    QPushButton* knDown = nullptr;
    QPushButton* knNextScreen = nullptr;
    QPushButton* knRecord = nullptr;
    QLabel* lbFile1 = nullptr;
    QLabel* lbFile2 = nullptr;
    QLabel* lbFileOne = nullptr;
    QLabel* lbFileTwo = nullptr;
    QLabel* lbSizeOne = nullptr;
    QLabel* lbSizeTwo = nullptr;
    QLabel* lbDateTime1 = nullptr;
    QLabel* lbDateTime2 = nullptr;
    QLabel* lbProgressBar = nullptr;
    QProgressBar* conProgressBar = nullptr;
    QLabel* lbStatusBar = nullptr;
    LineLabel* lbStatusBarText = nullptr;
    LineLabel* lbSynchro = nullptr;
    QLabel* Label19 = nullptr;
    LineLabel* lbInfo1 = nullptr;
    LineLabel* lbInfo2 = nullptr;
    LineLabel* lbInvers = nullptr;
    QLabel* lbOnlyRead = nullptr;
    QFrame* lnOnlyRead = nullptr;
};
