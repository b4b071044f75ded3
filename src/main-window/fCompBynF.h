#pragma once

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "mRWByt.h"
#include "mRWFile.h"

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
class ChangeIndex;
class ComparedFiles;
class DifferenceIndex;
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

// The main window: owner of the two file slots, the screen of 256 bytes and every menu
// command. Member functions are spread over files by concern:
//   fCompBynF.cpp          construction, layout, menus, start-up state, shortcut routing
//   fCompBynFOpen.cpp      opening files (menu and command line)
//   fCompBynFClose.cpp     closing files
//   fCompBynFRender.cpp    drawing and comparing the screen, position indicator
//   fCompBynFNavigate.cpp  paging, go-to, synchronised paging
//   fCompBynFEdit.cpp      write permission and cell editing
//   fCompBynFRecord.cpp    recording and cancelling edits
//   fCompBynFHelp.cpp      help and about
//   fCompBynFKeyboard.cpp  the keyboard's ways between the menu bar, the grid, the buttons and panels
class fCompBynF : public QMainWindow {
    Q_OBJECT

public:
    explicit fCompBynF(UiServices& ui, QWidget* parent = nullptr);
    ~fCompBynF() override;

    // ---- Public state read by the dialogs ----
    mRWByt& FileAtributOne() { return *fileOne_; }
    mRWByt& FileAtributTwo() { return *fileTwo_; }

    // One file slot as the window sees it: its file, its screen start and the controls
    // that show it. A view over the window's own members, cheap to make.
    struct FileSlot {
        int number;  // 1 file A, 2 file B
        mRWByt& file;
        std::int64_t& screenStart;
        QLabel* caption;  // "Файл А:" / "Файл В:", dark red while the file is in view
        QLabel* path;
        QLabel* size;
        QLabel* dateTime;
        QRadioButton* viewButton;
    };
    FileSlot slot(int number);  // 1 file A, any other value file B
    FileSlot inView() { return slot(intShowFile); }
    FileSlot other() { return slot(intShowFile == 1 ? 2 : 1); }
    // The slot of the shorter file (file B when both are as long): paging together and
    // comparing end with it.
    FileSlot shorter();
    std::unique_ptr<mRWFile> FileTextRW;
    int intShowFile = 0;  // 0 none, 1 file A, 2 file B
    UiServices& ui() { return ui_; }
    // The two files as compared: whoever writes into a file tells it, and results about
    // their bytes (the list of differences) listen to it.
    ComparedFiles& comparedFiles() { return *comparedFiles_; }
    DifferenceIndex& differences() { return *differences_; }
    ChangeIndex& changes() { return *changes_; }
    // File A from `addressA` and file B from `addressB`, each paged on its own (synchronised
    // paging off), file A in view with the focus on its byte. Nothing while edits wait.
    void showAtAddresses(std::int64_t addressA, std::int64_t addressB);

    // ---- Public operations ----
    // Puts file A (1) or file B (any other value) in view and redraws everything.
    void subShowDate(int NumberFile);
    // Shows the screen holding an address (TypeSearch 0) or the start of a block (other),
    // focusing its cell; may lower AdresSearch under synchronised paging.
    void subSearchAddr(std::int64_t& AdresSearch, int TypeSearch);
    static std::int64_t funScreenAdres(std::int64_t address);
    // Reads the size, date and attributes of the file in view again and redraws, as
    // "Обновить" does: another program, or a block written into it, may have changed it.
    void rereadFileInView();
    // Synchronised paging on and the screen holding `address` in both files, its cell
    // focused; an address beyond the shorter file is shown in the longer one. Nothing while
    // edits wait to be recorded.
    void showInBothFiles(std::int64_t address);
    // "Указанный Вами адрес/блок не существует." (block when TypeSearch is not 0).
    void reportMissingAddress(int TypeSearch);

    // Opens FILE_A [FILE_B] given on the command line as the open commands would.
    void openFromCommandLine(const QStringList& paths);

    // Folder in which the help command looks for its files (helpFolder of the binary's
    // folder by default).
    void setProgramFolder(const QString& folder) { programFolder_ = folder; }
    QString programFolder() const;
    // Where a binary in `binaryFolder` keeps its help: ../share/bivex when installed,
    // else the binary's own folder (the build tree).
    static QString helpFolder(const QString& binaryFolder);

    // Dialogs that keep a continued search; the go-to dialog and "Закрыть Всё" discard them.
    void discardSearchDialogs();

    // The menu commands that other parts of the program carry out: they connect to the
    // action's trigger; the window keeps its caption, shortcut and enabled state.
    enum class Command {
        Search,            // Найти байт
        MismatchSearch,    // Найти несовпадения
        Replace,           // Заменить
        Fill,              // Заполнить
        SaveBlock,         // Сохранить блок
        LoadBlock,         // Загрузить из ...
        NewFile,           // Создать файл
        DumpScreen,        // Сохранить как ... → Блок
        DumpFile,          // Сохранить как ... → Файл
        DumpMismatch,      // Сохранить как ... → Несовпадения
        MismatchList,      // Список несовпадений
        NextMismatch,      // F6
        PreviousMismatch,  // Shift+F6
        ChangeList,        // Список изменений
    };
    QAction* command(Command command) const;
    bool dosView() const;
    // The caption beside the window's progress bar ("Позиция:" while nothing runs).
    QLabel* progressCaption() const { return lbProgressBar; }

    // ---- Read-only view of the private state, for tests and dialogs ----
    int loadedFileCount() const { return intLoadFile; }
    std::int64_t screenStartOne() const { return curAdresOne; }
    std::int64_t screenStartTwo() const { return curAdresTwo; }
    std::int64_t currentBlock() const { return curBlock; }
    std::int64_t blockCount() const { return lngBlockMax; }
    bool changesPending() const { return bolChange; }
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
    void mnuEdit_Click();
    void mnuNext_Click();
    void mnuHelp_Click();
    void mnuAbout_Click();
    void knViweOne_Click();
    void knViweTwo_Click();
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
    // The go-to dialog or "Закрыть Всё" drops the kept state of both search dialogs;
    // whoever owns those dialogs discards them.
    void searchDialogsDiscarded();
    // A screen has been drawn: bytes, files or position may have changed.
    void screenShown();

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
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, void (fCompBynF::*handler)());
    void Form_Load();
    void subInitScreen();
    bool Form_KeyDown(int key);
    bool isOurShortcut(const QKeySequence& sequence) const;

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
    int readScreen(mRWByt& file, std::int64_t screenStart, std::array<int, 256>& bytes,
                   FileIdentity& drawn);
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


    // Tells the compared files which files the slots hold now (a redraw looks at the disk).
    void noteLoadedFiles();

    UiServices& ui_;
    std::unique_ptr<mRWByt> fileOne_;
    std::unique_ptr<mRWByt> fileTwo_;
    std::unique_ptr<ComparedFiles> comparedFiles_;
    std::unique_ptr<DifferenceIndex> differences_;
    std::unique_ptr<ChangeIndex> changes_;
    QString programFolder_;

    // private state
    std::int64_t curAdresOne = 0;
    std::int64_t curAdresTwo = 0;
    int intLoadFile = 0;
    QString strOldByt;
    std::int64_t lngBlockMax = 0;
    std::int64_t curBlock = 0;
    bool bolChange = false;
    QString strFileText;

    // Recording writes only into the file the screen was read from.
    std::array<FileIdentity, 2> drawnIdentity_{};  // per slot: the file of its last drawing

    std::vector<QAction*> shortcutActions_;  // the commands that have a shortcut

    // the go-to dialog is created on first use and then only hidden
    frpAdress* goToDialog_ = nullptr;

    // What each state of the window enables (see buildCommandSets).
    CommandSet fileCommands_;      // a loaded file A
    CommandSet twoFileCommands_;   // file B loaded beside it
    CommandSet writeCommands_;     // write permission on a writable file
    CommandSet loadedCommands_;    // everything off again with no file
    CommandSet recordCommands_;    // edits wait to be recorded or cancelled
    CommandSet editLocks_;         // what the first edit switches off
    CommandSet editUnlocks_;       // what recording or cancelling gives back

public:
    // The window's progress bar, for the dialogs' long loops.
    std::unique_ptr<ProgressBarAdapter> progress;

private:
    // ---- Controls, named as their objectName ----
    ByteGrid* grid_ = nullptr;
    QWidget* buttonRow_ = nullptr;  // Запись, Перейти, Файл А/В, Вверх/Вниз: one Ctrl+Tab area
    bool shownBefore_ = false;  // the first showing gives the window its designed size
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
    QMenu* mnuEditHost = nullptr;
    QAction* mnuRec = nullptr;
    QAction* mnuCanscel = nullptr;
    QAction* mnuReplace = nullptr;
    QAction* mnuFill = nullptr;
    QAction* mnuRefresh = nullptr;
    QMenu* mnuService = nullptr;
    QAction* mnuNext = nullptr;
    QAction* mnuSearch = nullptr;
    QAction* mnuChSearch = nullptr;
    QAction* mnuMismatchList = nullptr;
    QAction* mnuNextMismatch = nullptr;
    QAction* mnuPreviousMismatch = nullptr;
    QAction* mnuChangeList = nullptr;
    QMenu* mduSetup = nullptr;
    QAction* mnuSynchro = nullptr;
    QAction* mnuEdit = nullptr;
    QAction* mnuDOS = nullptr;
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
