#include "fCompBynF.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "ByteGrid.h"
#include "ComparedFiles.h"
#include "GridColors.h"
#include "LineLabel.h"
#include "PairView.h"
#include "PathLabel.h"
#include "ProgressBarAdapter.h"
#include "UiServices.h"
#include "WindowLook.h"
#include "frpAdress.h"

void CommandSet::setEnabled(bool on) const {
    for (QObject* command : commands_) {
        if (auto* action = qobject_cast<QAction*>(command))
            action->setEnabled(on);
        else if (auto* widget = qobject_cast<QWidget*>(command))
            widget->setEnabled(on);
    }
}

CommandSet CommandSet::with(const CommandSet& other) const {
    CommandSet sum = *this;
    for (QObject* command : other.commands_)
        if (std::find(commands_.begin(), commands_.end(), command) == commands_.end())
            sum.commands_.push_back(command);
    return sum;
}

CommandSet CommandSet::without(const CommandSet& other) const {
    CommandSet rest;
    for (QObject* command : commands_)
        if (std::find(other.commands_.begin(), other.commands_.end(), command) == other.commands_.end())
            rest.commands_.push_back(command);
    return rest;
}

fCompBynF::fCompBynF(UiServices& ui, QWidget* parent)
    : QMainWindow(parent), ui_(ui), view_(std::make_unique<PairView>(ui)) {
    setObjectName(QStringLiteral("fCompBynF"));
    setAcceptDrops(true);
    WindowLook::install();
    WindowLook::follow(this);
    buildMenus();
    buildLayout();
    buildCommandSets();
    followView();
    Form_Load();
    // The window sees PageUp/PageDown and its own shortcuts before the focused control.
    qApp->installEventFilter(this);
}

fCompBynF::~fCompBynF() {
    // A view shown in the form's place, or one on its way out, goes with the window's
    // children, after this part of the window: it must not call back here.
    for (QWidget* child : findChildren<QWidget*>()) disconnect(child, &QObject::destroyed, this, nullptr);
    // The grid outlives the members it reports to; a cell losing the focus while the
    // window is torn down must not reach them.
    grid_->onCellFocusIn = nullptr;
    grid_->onCellFocusOut = nullptr;
    grid_->onCellKey = nullptr;
    grid_->onSymbolClick = nullptr;
}

QAction* fCompBynF::addCommand(QMenu* menu, const char* name, const QString& caption,
                               const QKeySequence& shortcut, void (fCompBynF::*handler)()) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        shortcutActions_.push_back(action);
    }
    if (handler) connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    menu->addAction(action);
    return action;
}

void fCompBynF::buildMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
        return m;
    };

    mnuFile = menu("mnuFile", QStringLiteral("&Файл"));
    mnuNew = addCommand(mnuFile, "mnuNew", QStringLiteral("Создать файл"), {}, nullptr);
    mnuLoadFileA = addCommand(mnuFile, "mnuLoadFileA", QStringLiteral("Открыть файла А"),
                              QKeySequence(Qt::CTRL | Qt::Key_A), &fCompBynF::mnuLoadFileA_Click);
    mnuLoadFileB = addCommand(mnuFile, "mnuLoadFileB", QStringLiteral("Открыть файла B"),
                              QKeySequence(Qt::CTRL | Qt::Key_B), &fCompBynF::mnuLoadFileB_Click);
    mnuFile->addSeparator();
    mnuLoad = addCommand(mnuFile, "mnuLoad", QStringLiteral("Загрузить из ..."), {}, nullptr);
    mnuSave = addCommand(mnuFile, "mnuSave", QStringLiteral("Сохранить блок"), {}, nullptr);
    QMenu* saveList = mnuFile->addMenu(QStringLiteral("Сохранить как ..."));
    saveList->setObjectName(QStringLiteral("mnuSaveListMenu"));
    mnuSaveList = saveList->menuAction();
    mnuSaveList->setObjectName(QStringLiteral("mnuSaveList"));
    mnuSaveBlock = addCommand(saveList, "mnuSaveBlock", QStringLiteral("Блок"), {}, nullptr);
    mnuSaveFile = addCommand(saveList, "mnuSaveFile", QStringLiteral("Файл"), {}, nullptr);
    mnuSaveNoByt = addCommand(saveList, "mnuSaveNoByt", QStringLiteral("Несовпадения"), {}, nullptr);
    mnuFile->addSeparator();
    mnuDelFileB = addCommand(mnuFile, "mnuDelFileB", QStringLiteral("Закрыть файл В"),
                             QKeySequence(Qt::SHIFT | Qt::Key_Delete), &fCompBynF::mnuDelFileB_Click);
    mnuDelAll = addCommand(mnuFile, "mnuDelAll", QStringLiteral("Закрыть Всё"),
                           QKeySequence(Qt::CTRL | Qt::Key_D), &fCompBynF::mnuDelAll_Click);
    mnuExit = addCommand(mnuFile, "mnuExit", QStringLiteral("Выход"),
                         QKeySequence(Qt::CTRL | Qt::Key_E), &fCompBynF::mnuExit_Click);
    mnuFile->addSeparator();
    mnuSavePatch = addCommand(mnuFile, "mnuSavePatch", QStringLiteral("Сохранить изменения как патч…"), {}, nullptr);

    mnuEditHost = menu("mnuEditHost", QStringLiteral("&Правка"));
    mnuRec = addCommand(mnuEditHost, "mnuRec", QStringLiteral("Запись"), {}, &fCompBynF::mnuRec_Click);
    mnuCanscel = addCommand(mnuEditHost, "mnuCanscel", QStringLiteral("Отмена"), {},
                            &fCompBynF::mnuCanscel_Click);
    mnuReplace = addCommand(mnuEditHost, "mnuReplace", QStringLiteral("Заменить"), {}, nullptr);
    mnuFill = addCommand(mnuEditHost, "mnuFill", QStringLiteral("Заполнить"), {}, nullptr);
    mnuRefresh = addCommand(mnuEditHost, "mnuRefresh", QStringLiteral("Обновить"),
                            QKeySequence(Qt::CTRL | Qt::Key_R), &fCompBynF::mnuRefresh_Click);

    mnuService = menu("mnuService", QStringLiteral("&Сервис"));
    mnuNext = addCommand(mnuService, "mnuNext", QStringLiteral("Перейти..."),
                         QKeySequence(Qt::CTRL | Qt::Key_G), &fCompBynF::mnuNext_Click);
    // "Файл А" / "Файл В" from anywhere in the window.
    mnuOtherFile = addCommand(mnuService, "mnuOtherFile", QStringLiteral("Другой файл"), QKeySequence(Qt::Key_F4),
                              &fCompBynF::mnuOtherFile_Click);
    mnuSearch = addCommand(mnuService, "mnuSearch", QStringLiteral("Найти байт"),
                           QKeySequence(Qt::CTRL | Qt::Key_S), nullptr);
    mnuChSearch = addCommand(mnuService, "mnuChSearch", QStringLiteral("Найти несовпадения"),
                             QKeySequence(Qt::CTRL | Qt::Key_C), nullptr);
    // The list of differences and the steps between them; their work is installed from outside.
    mnuService->addSeparator();
    mnuMismatchList = addCommand(mnuService, "mnuMismatchList", QStringLiteral("Список несовпадений"),
                                 QKeySequence(Qt::CTRL | Qt::Key_L), nullptr);
    mnuNextMismatch = addCommand(mnuService, "mnuNextMismatch", QStringLiteral("Следующее несовпадение"),
                                 QKeySequence(Qt::Key_F6), nullptr);
    mnuPreviousMismatch = addCommand(mnuService, "mnuPreviousMismatch", QStringLiteral("Предыдущее несовпадение"),
                                     QKeySequence(Qt::SHIFT | Qt::Key_F6), nullptr);
    // The changes with inserted and deleted bytes: the byte-by-byte list's second mode.
    mnuChangeList = addCommand(mnuService, "mnuChangeList", QStringLiteral("Список изменений"),
                               QKeySequence(Qt::CTRL | Qt::Key_K), nullptr);
    mnuValues = addCommand(mnuService, "mnuValues", QStringLiteral("Значения под курсором"),
                           QKeySequence(Qt::CTRL | Qt::Key_I), nullptr);
    mnuAligned = addCommand(mnuService, "mnuAligned", QStringLiteral("Выровненный вид"), QKeySequence(Qt::CTRL | Qt::Key_J),
                            nullptr);
    mnuNextChange = addCommand(mnuService, "mnuNextChange", QStringLiteral("Следующее изменение"),
                               QKeySequence(Qt::CTRL | Qt::Key_F6), nullptr);
    mnuPreviousChange = addCommand(mnuService, "mnuPreviousChange", QStringLiteral("Предыдущее изменение"),
                                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), nullptr);

    mduSetup = menu("mduSetup", QStringLiteral("П&араметры"));
    mnuSynchro = addCommand(mduSetup, "mnuSynchro", QStringLiteral("Синхронизировать файлы"), {}, nullptr);
    mnuEdit = addCommand(mduSetup, "mnuEdit", QStringLiteral("Разрешить запись в файл"), {}, nullptr);
    mnuDOS = addCommand(mduSetup, "mnuDOS", QStringLiteral("Формат файла - DOS"), {}, nullptr);
    mduSetup->addSeparator();
    mnuSynchroShift = addCommand(mduSetup, "mnuSynchroShift", QStringLiteral("Синхронизировать со сдвигом…"), {},
                                 &fCompBynF::mnuSynchroShift_Click);
    // Qt toggles a check item before it reports the click; the commands toggle the mark
    // themselves, so the automatic toggle is undone first.
    const std::pair<QAction*, void (fCompBynF::*)()> checkItems[] = {
        {mnuSynchro, &fCompBynF::mnuSynchro_Click},
        {mnuEdit, &fCompBynF::mnuEdit_Click},
        {mnuDOS, &fCompBynF::mnuDOS_Click}};
    for (const auto& [item, handler] : checkItems) {
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, item, handler](bool checked) {
            item->setChecked(!checked);
            (this->*handler)();
        });
    }

    mnuHelpMenu = menu("mnuHelpMenu", QStringLiteral("Сп&равка"));
    mnuHelp = addCommand(mnuHelpMenu, "mnuHelp", QStringLiteral("Помощь"), QKeySequence(Qt::Key_F1),
                         &fCompBynF::mnuHelp_Click);
    mnuAbout = addCommand(mnuHelpMenu, "mnuAbout", QStringLiteral("О программе..."),
                          QKeySequence(Qt::Key_F2), &fCompBynF::mnuAbout_Click);
}

namespace {

template <typename Label = QLabel>
Label* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new Label(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setEnabled(false);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

void fCompBynF::buildLayout() {
    // The form keeps its designed size, centred in a larger window; in a smaller one (a
    // small screen, a large scale) it scrolls. Paging keys still reach the window first:
    // its filter sees them before the scroll area.
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("formScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    auto* page = new QWidget(scroll);
    auto* centre = new QVBoxLayout(page);
    centre->setContentsMargins(0, 0, 0, 0);
    auto* central = new QWidget(page);
    form_ = central;
    central->setObjectName(QStringLiteral("central"));
    centre->addWidget(central, 0, Qt::AlignCenter);
    scroll->setWidget(page);
    setCentralWidget(scroll);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setSpacing(8);

    grid_ = new ByteGrid(central);
    outer->addWidget(grid_);
    grid_->onCellFocusIn = [this](int index) { plByt0_GotFocus(index); };
    grid_->onCellFocusOut = [this](int index) { plByt0_LostFocus(index); };
    grid_->onCellKey = [this](int index, int key) { return plByt0_KeyPress(index, key); };
    grid_->onSymbolClick = [this](int index) { lbSumbol_Click(index); };

    // The two file lines: caption, path, size, date and time.
    auto* files = new QGridLayout();
    files->setHorizontalSpacing(12);
    files->setVerticalSpacing(2);
    // Drawn dark red and black by turns as the file in view changes.
    lbFile1 = makeLabel<LineLabel>(central, "lbFile1", QStringLiteral("Файл А:"));
    lbFile2 = makeLabel<LineLabel>(central, "lbFile2", QStringLiteral("Файл В:"));
    lbFileOne = makeLabel<PathLabel>(central, "lbFileOne", QStringLiteral("Не загружен"));
    lbFileTwo = makeLabel<PathLabel>(central, "lbFileTwo", QStringLiteral("Не загружен"));
    lbSizeOne = makeLabel(central, "lbSizeOne", QStringLiteral("0 byte"));
    lbSizeTwo = makeLabel(central, "lbSizeTwo", QStringLiteral("0 byte"));
    lbDateTime1 = makeLabel(central, "lbDateTime1", QString());
    lbDateTime2 = makeLabel(central, "lbDateTime2", QString());
    for (QLabel* l : {lbFileOne, lbFileTwo}) {
        l->setMinimumWidth(200);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    for (QLabel* l : {lbFile1, lbFile2}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    files->addWidget(lbFile1, 0, 0);
    files->addWidget(lbFileOne, 0, 1);
    files->addWidget(lbSizeOne, 0, 2, Qt::AlignRight);
    files->addWidget(lbDateTime1, 0, 3);
    files->addWidget(lbFile2, 1, 0);
    files->addWidget(lbFileTwo, 1, 1);
    files->addWidget(lbSizeTwo, 1, 2, Qt::AlignRight);
    files->addWidget(lbDateTime2, 1, 3);
    files->setColumnStretch(1, 1);
    files->setColumnMinimumWidth(2, 110);
    files->setColumnMinimumWidth(3, 150);
    auto* fileFrame = new QFrame(central);
    fileFrame->setFrameShape(QFrame::StyledPanel);
    fileFrame->setLayout(files);
    outer->addWidget(fileFrame);

    // Bottom: buttons on the left, position and information on the right.
    auto* bottom = new QHBoxLayout();
    bottom->setSpacing(16);
    buttonRow_ = new QWidget(central);
    buttonRow_->setObjectName(QStringLiteral("buttonRow"));
    auto* buttons = new QGridLayout(buttonRow_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setHorizontalSpacing(6);
    buttons->setVerticalSpacing(4);
    knRecord = makeButton(buttonRow_, "knRecord", QStringLiteral("Запись"));
    knNextScreen = makeButton(buttonRow_, "knNextScreen", QStringLiteral("Перейти"));
    knUp = makeButton(buttonRow_, "knUp", QStringLiteral("Вверх"));
    knDown = makeButton(buttonRow_, "knDown", QStringLiteral("Вниз"));
    knViweOne = new QRadioButton(QStringLiteral("Файл А"), buttonRow_);
    knViweOne->setObjectName(QStringLiteral("knViweOne"));
    knViweTwo = new QRadioButton(QStringLiteral("Файл В"), buttonRow_);
    knViweTwo->setObjectName(QStringLiteral("knViweTwo"));
    viewButtons = new QButtonGroup(this);
    viewButtons->addButton(knViweOne);
    viewButtons->addButton(knViweTwo);
    // Selected by the user or from code, the button runs its command.
    connect(knViweOne, &QRadioButton::toggled, this, [this](bool on) { if (on) knViweOne_Click(); });
    connect(knViweTwo, &QRadioButton::toggled, this, [this](bool on) { if (on) knViweTwo_Click(); });
    connect(knUp, &QPushButton::clicked, this, &fCompBynF::subUp);
    connect(knDown, &QPushButton::clicked, this, &fCompBynF::subDown);
    connect(knNextScreen, &QPushButton::clicked, this, &fCompBynF::mnuNext_Click);
    connect(knRecord, &QPushButton::clicked, this, &fCompBynF::knRecord_Click);

    lbOnlyRead = makeLabel(buttonRow_, "lbOnlyRead", QStringLiteral("Только чтение."));
    GridColors::setTextColor(lbOnlyRead, GridColors::darkRed());
    lnOnlyRead = new QFrame(buttonRow_);
    lnOnlyRead->setObjectName(QStringLiteral("lnOnlyRead"));
    lnOnlyRead->setFrameShape(QFrame::HLine);
    lnOnlyRead->setFixedHeight(2);
    GridColors::setTextColor(lnOnlyRead, GridColors::darkRed());
    auto* readOnlyBox = new QVBoxLayout();
    readOnlyBox->setSpacing(0);
    readOnlyBox->addWidget(lbOnlyRead);
    readOnlyBox->addWidget(lnOnlyRead);
    lbOnlyRead->setVisible(false);
    lnOnlyRead->setVisible(false);

    for (QPushButton* b : {knRecord, knNextScreen, knUp, knDown}) b->setMinimumWidth(90);
    buttons->addWidget(knRecord, 0, 0);
    buttons->addWidget(knNextScreen, 0, 1);
    buttons->addWidget(knViweOne, 0, 2);
    buttons->addWidget(knUp, 0, 3);
    buttons->addLayout(readOnlyBox, 1, 0, 1, 2);
    buttons->addWidget(knViweTwo, 1, 2);
    buttons->addWidget(knDown, 1, 3);
    bottom->addWidget(buttonRow_, 0, Qt::AlignTop);
    // Tab goes along the rows as they read.
    setTabOrder(knRecord, knNextScreen);
    setTabOrder(knNextScreen, knViweOne);
    setTabOrder(knViweOne, knUp);
    setTabOrder(knUp, knViweTwo);
    setTabOrder(knViweTwo, knDown);
    bottom->addStretch(1);

    auto* info = new QGridLayout();
    info->setHorizontalSpacing(8);
    info->setVerticalSpacing(4);
    lbProgressBar = makeLabel(central, "lbProgressBar", QStringLiteral("Позиция:"));
    conProgressBar = new QProgressBar(central);
    conProgressBar->setObjectName(QStringLiteral("conProgressBar"));
    conProgressBar->setTextVisible(false);
    conProgressBar->setFixedHeight(14);
    conProgressBar->setAccessibleName(QStringLiteral("Позиция в файле"));
    progress = std::make_unique<ProgressBarAdapter>(conProgressBar);
    lbStatusBar = makeLabel(central, "lbStatusBar", QStringLiteral("Блок:"));
    lbStatusBarText = makeLabel<LineLabel>(central, "lbStatusBarText", QStringLiteral("1 из 1"));
    lbSynchro = makeLabel<LineLabel>(central, "lbSynchro", QString());
    Label19 = makeLabel(central, "Label19", QStringLiteral("Информ."));
    lbInfo1 = makeLabel<LineLabel>(central, "lbInfo1", QString());
    lbInfo2 = makeLabel<LineLabel>(central, "lbInfo2", QString());
    lbInvers = makeLabel<LineLabel>(central, "lbInvers", QString());
    info->addWidget(lbProgressBar, 0, 0);
    info->addWidget(conProgressBar, 0, 1, 1, 3);
    info->addWidget(lbStatusBar, 1, 0);
    info->addWidget(lbStatusBarText, 1, 1);
    info->addWidget(lbSynchro, 1, 2, 1, 2);
    info->addWidget(Label19, 2, 0);
    info->addWidget(lbInfo1, 2, 1);
    info->addWidget(lbInfo2, 2, 2);
    info->addWidget(lbInvers, 2, 3);
    // A column minimum, not the labels' own: a label keeps room for its whole text.
    // In the font's own measure: "1048576 из 4194304" and "Hex[FF] = Dec[255]", "Синхро. +200"
    // (with a shift), "Редакт.".
    const QFontMetrics metrics = lbInfo1->fontMetrics();
    const int figures = metrics.horizontalAdvance(QStringLiteral("1048576 из 4194304"));
    const int synchro = metrics.horizontalAdvance(QStringLiteral("Синхро. +FFFFF"));
    const int edit = metrics.horizontalAdvance(QStringLiteral("Редакт.."));
    info->setColumnMinimumWidth(1, figures);
    info->setColumnMinimumWidth(2, synchro);
    info->setColumnMinimumWidth(3, edit);
    lbStatusBarText->setColumnWidth(figures);
    lbInfo1->setColumnWidth(figures);
    lbSynchro->setColumnWidth(synchro + info->horizontalSpacing() + edit);
    lbInfo2->setColumnWidth(synchro);
    lbInvers->setColumnWidth(edit);
    bottom->addLayout(info);
    outer->addLayout(bottom);
    outer->addStretch(1);
}

// The first showing opens the window at the form's designed size, or the screen's where
// that is smaller, unless it was given a size before. The form's size is known only now,
// with the style and fonts applied; the scroll area would ask for a fraction of the screen.
void fCompBynF::showEvent(QShowEvent* event) {
    if (!shownBefore_ && !testAttribute(Qt::WA_Resized)) {
        const auto* scroll = static_cast<QScrollArea*>(centralWidget());
        QSize designed = scroll->widget()->sizeHint() + QSize(0, menuBar()->sizeHint().height());
        const auto* status = findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
        if (status && status->isVisibleTo(this)) designed.rheight() += status->sizeHint().height();
        if (const QScreen* shown = screen()) designed = designed.boundedTo(shown->availableGeometry().size());
        resize(designed);
    }
    shownBefore_ = true;
    QMainWindow::showEvent(event);
}

bool fCompBynF::event(QEvent* event) {
    // The window has taken its new palette already (WindowLook); the grid's own colours follow.
    if (event->type() == QEvent::ApplicationPaletteChange && grid_) grid_->followPalette();
    return QMainWindow::event(event);
}

void fCompBynF::buildCommandSets() {
    CommandSets& c = sets_;
    c.file = {mnuLoadFileB, mnuSave, mnuSaveList, mnuDelAll, mnuNext, mnuSearch, mnuRefresh, knNextScreen, mnuValues};
    c.twoFiles = {mnuSaveNoByt, mnuSynchro, mnuSynchroShift, mnuDelFileB, mnuChSearch, knViweOne, knViweTwo, mnuOtherFile};
    // The list of differences and F6 compare the files on disk: two files, and no edits waiting.
    const CommandSet differenceCommands{mnuMismatchList, mnuNextMismatch, mnuPreviousMismatch, mnuChangeList,
                                        mnuNextChange, mnuPreviousChange, mnuSavePatch, mnuAligned};
    c.twoFiles = c.twoFiles.with(differenceCommands);
    c.write = {mnuLoad, mnuReplace, mnuFill};
    c.loaded = c.file.with(c.twoFiles).with(c.write).with({mnuEdit, knUp, knDown});
    c.record = {knRecord, mnuRec, mnuCanscel};
    c.editLocks = {mnuLoadFileA, mnuLoadFileB, mnuEdit, knDown, knUp, knViweOne, knViweTwo, mnuOtherFile, mnuSynchroShift, mnuSaveList,
                   knNextScreen, mnuNext, mnuSearch, mnuFill, mnuRefresh, mnuReplace, mnuChSearch, mnuDOS};
    c.editLocks = c.editLocks.with(differenceCommands);
    // Given back by recording or cancelling, except:
    //  - "Заменить" and "Заполнить", which return only when write permission is switched on again;
    //  - paging, which the redraw enables by the file's size;
    //  - the commands of two files, which come back only while two are loaded.
    c.editUnlocks = c.editLocks.without(c.write).without({knUp, knDown}).without(c.twoFiles);
    c.loaded.with(c.record).setEnabled(false);
}

// The window follows the view: its public operations draw here, and the check marks and
// marks of the information line show the modes.
void fCompBynF::followView() {
    view_->setScreen(&grid_->model());
    connect(view_.get(), &PairView::drawWanted, this, &fCompBynF::subShowDate);
    connect(view_.get(), &PairView::focusWanted, this, [this](int cell) { grid_->focusCell(cell); });
    connect(view_.get(), &PairView::modesChanged, this, &fCompBynF::showModes);
    // A look at the disk outside a drawing (a list about to be made looks) found a slot's
    // file written or replaced: the screen shows it as it now is, unless edits wait on it.
    connect(&view_->files(), &ComparedFiles::lookedAgain, this, [this] {
        if (!drawing_ && !view_->editsPending() && view_->intShowFile() != 0) subShowDate(view_->intShowFile());
    });
}

void fCompBynF::showModes() {
    mnuSynchro->setChecked(view_->synchronised());
    mnuEdit->setChecked(view_->writePermission());
    mnuDOS->setChecked(view_->dosView());
    QString synchronised;
    if (view_->synchronised()) {
        synchronised = QStringLiteral("Синхро.");
        // At a shift, the shift B is read at, in hexadecimal with its sign.
        if (const std::int64_t shift = view_->shift(); shift != 0)
            synchronised += (shift > 0 ? QStringLiteral(" +") : QStringLiteral(" -")) +
                            QString::number(qulonglong(shift > 0 ? shift : -shift), 16).toUpper();
    }
    lbInfo2->setText(synchronised);
    lbInvers->setText(view_->writePermission() ? QStringLiteral("Редакт.") : QString());
}

fCompBynF::FileSlot fCompBynF::slot(int number) {
    if (number == 1) return {1, view_->FileAtributOne(), lbFile1, lbFileOne, lbSizeOne, lbDateTime1, knViweOne};
    return {2, view_->FileAtributTwo(), lbFile2, lbFileTwo, lbSizeTwo, lbDateTime2, knViweTwo};
}

QString fCompBynF::shownCellText(int cell) const { return grid_->cellText(cell); }

mRWByt& fCompBynF::FileAtributOne() { return view_->FileAtributOne(); }
mRWByt& fCompBynF::FileAtributTwo() { return view_->FileAtributTwo(); }
int fCompBynF::loadedFileCount() const { return view_->intLoadFile(); }
std::int64_t fCompBynF::screenStartOne() const { return view_->curAdresOne(); }
std::int64_t fCompBynF::screenStartTwo() const { return view_->curAdresTwo(); }
bool fCompBynF::changesPending() const { return view_->editsPending(); }

QAction* fCompBynF::command(Command command) const {
    switch (command) {
    case Command::Search: return mnuSearch;
    case Command::MismatchSearch: return mnuChSearch;
    case Command::Replace: return mnuReplace;
    case Command::Fill: return mnuFill;
    case Command::SaveBlock: return mnuSave;
    case Command::LoadBlock: return mnuLoad;
    case Command::NewFile: return mnuNew;
    case Command::DumpScreen: return mnuSaveBlock;
    case Command::DumpFile: return mnuSaveFile;
    case Command::DumpMismatch: return mnuSaveNoByt;
    case Command::MismatchList: return mnuMismatchList;
    case Command::NextMismatch: return mnuNextMismatch;
    case Command::ChangeList: return mnuChangeList;
    case Command::PreviousMismatch: return mnuPreviousMismatch;
    case Command::NextChange: return mnuNextChange;
    case Command::PreviousChange: return mnuPreviousChange;
    case Command::SavePatch: return mnuSavePatch;
    case Command::Values: return mnuValues;
    case Command::AlignedView: return mnuAligned;
    }
    return nullptr;
}

void fCompBynF::Form_Load() {
    mnuLoadFileA->setEnabled(true);
    subInitScreen();
}

void fCompBynF::subInitScreen() {
    ScreenModel::Screen empty;
    empty.shown.fill(-1);
    empty.other.fill(-1);
    grid_->showScreen(empty);
    clearFileLabels(slot(1));
    clearFileLabels(slot(2));
    subShowAdres(0);
    lbSynchro->setText(QString());
    setWindowTitle(QString());
}

void fCompBynF::selectViewButton(QRadioButton* button) {
    if (button->isChecked())
        (button == knViweOne) ? knViweOne_Click() : knViweTwo_Click();
    else
        button->setChecked(true);
}

void fCompBynF::deselectViewButtons() {
    viewButtons->setExclusive(false);
    knViweOne->setChecked(false);
    knViweTwo->setChecked(false);
    viewButtons->setExclusive(true);
}

bool fCompBynF::isOurShortcut(const QKeySequence& sequence) const {
    // Asked on every key pressed in the window, so the list is kept, not searched for.
    for (const QAction* a : shortcutActions_)
        if (a->isEnabled() && a->shortcut() == sequence) return true;
    return false;
}

bool fCompBynF::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Hide) {
        handBackKeyboard(watched);
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        // A line edit claims Ctrl+A, Ctrl+C and the like for itself; ours win.
        // A panel or view with keys of its own (Ctrl+C to copy a value, F6 to step through
        // the aligned files) keeps them while it has the keyboard.
        if (const QVariant own = widget->property("bivexOwnKeys"); own.isValid() &&
            own.toStringList().contains(QKeySequence(key->keyCombination()).toString(QKeySequence::PortableText)))
            return false;
        if (isOurShortcut(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
        return false;
    }
    return keyboardPath(widget, key) || Form_KeyDown(key->key());
}

// Without a window manager nobody hands the keyboard on when a dialog or message box of ours
// closes: X gives it to the root window and keys go nowhere. So the window below it, the
// modal one still open or else this one, takes it back. With a window manager this only
// asks for what the manager does anyway.
void fCompBynF::handBackKeyboard(QObject* hidden) {
    auto* window = qobject_cast<QWidget*>(hidden);
    if (!window || !window->isWindow() || window == this || window->windowType() == Qt::Popup ||
        window->windowType() == Qt::ToolTip)
        return;
    // The window that closes has usually given up the keyboard already; when another window
    // of ours holds it, it stays there.
    if (QApplication::activeWindow() != nullptr && QApplication::activeWindow() != window) return;
    QTimer::singleShot(0, this, [this] {
        if (QApplication::activeWindow() && QApplication::activeWindow()->isVisible()) return;
        QWidget* next = QApplication::activeModalWidget();
        if (!next) next = this;
        if (next->isVisible()) next->activateWindow();
    });
}

void fCompBynF::showInPlaceOfForm(QWidget* widget) {
    if (widget == inPlace_) return;
    auto* page = form_->parentWidget();
    if (QWidget* before = inPlace_) {
        inPlace_ = nullptr;
        before->hide();
        page->layout()->removeWidget(before);
    }
    if (!widget) {
        page->layout()->setContentsMargins(0, 0, 0, 0);
        form_->show();
        grid_->focusCell(grid_->entryCell(), Qt::OtherFocusReason);
        return;
    }
    inPlace_ = widget;
    widget->setParent(page);
    // Set off from the window's edges as the form is.
    page->layout()->setContentsMargins(10, 8, 10, 8);
    static_cast<QVBoxLayout*>(page->layout())->addWidget(widget, 1);
    form_->hide();
    widget->show();
    widget->setFocus(Qt::OtherFocusReason);
    // The window grows, as far as its screen allows, to show the view as it would be.
    const int wanted = widget->sizeHint().width() + 20 + width() - centralWidget()->width();
    if (const QScreen* shown = screen(); shown && !isMaximized() && !isFullScreen() && width() < wanted)
        resize(std::min(wanted, shown->availableGeometry().width()), height());
    // Gone with its owner: the form comes back.
    connect(widget, &QObject::destroyed, this, [this] {
        if (!inPlace_ && !form_->isVisible()) showInPlaceOfForm(nullptr);
    });
}

bool fCompBynF::Form_KeyDown(int key) {
    // Paging keys are the screen of bytes' only while it is shown.
    if (!form_->isVisible()) return false;
    if (key == Qt::Key_PageUp) {
        subUp();
        return true;
    }
    if (key == Qt::Key_PageDown) {
        subDown();
        return true;
    }
    return false;
}

void fCompBynF::mnuExit_Click() { close(); }

void fCompBynF::closeEvent(QCloseEvent* event) {
    // Ends the program at once; pending cell edits are dropped, nothing is written.
    event->accept();
    emit exitRequested();
}
