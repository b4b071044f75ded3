#include "ChangesDock.h"

#include <QLocale>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include <QItemSelectionModel>
#include "ChangeIndex.h"
#include "ChangesModel.h"
#include "DockRoom.h"
#include "FilePair.h"
#include "PanelHead.h"
#include "RunList.h"
#include "RowExport.h"
#include "MismatchTable.h"

ChangesDock::ChangesDock(QMainWindow& window, ChangeIndex& index)
    : QDockWidget(QStringLiteral("Список изменений"), &window), window_(window), index_(index) {
    head_ = std::make_unique<PanelHead>(*this, QStringLiteral("changes"), QStringLiteral("Ход поиска изменений"));
    QWidget* body = head_->body;
    aligned_ = new QPushButton(QStringLiteral("Выровненный вид"), body);
    aligned_->setObjectName(QStringLiteral("changesAligned"));
    aligned_->setAutoDefault(false);
    head_->controls->addWidget(aligned_);

    model_ = new ChangesModel(index_.changes(), this);
    table_ = new MismatchTable(model_, QStringLiteral("changesTable"), QStringLiteral("Список изменений"),
                               {QStringLiteral("Удаление"), QStringLiteral("000000000"), QStringLiteral("Длина А"),
                                QStringLiteral("000000000"), QStringLiteral("Длина В"), QStringLiteral("DD DD DD DD DD DD DD DD"),
                                QStringLiteral("DD DD DD DD DD DD DD DD"), MismatchTable::textSample()},
                               body);
    head_->column->addWidget(table_, 1);

    addTakeOver(*table_, [this](int target) {
        const int row = table_->currentIndex().row();
        if (!onTakeOver || row < 0 || std::size_t(row) >= index_.changes().size()) return;
        if (index_.state() != ChangeIndex::State::Complete && index_.state() != ChangeIndex::State::Stopped) return;
        const Change& c = index_.changes()[std::size_t(row)];
        if (target == 2)
            onTakeOver(2, c.addressA, c.addressB, c.lengthA, c.lengthB);
        else
            onTakeOver(1, c.addressB, c.addressA, c.lengthB, c.lengthA);
    });
    connect(head_->stop, &QPushButton::clicked, &index_, &ChangeIndex::stop);
    connect(head_->refresh, &QPushButton::clicked, &index_, &ChangeIndex::start);
    connect(aligned_, &QPushButton::clicked, this, [this] {
        if (onAligned) onAligned();
    });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& now) {
        if (now.isValid() && onCurrentChange) onCurrentChange(std::size_t(now.row()));
    });
    connect(table_, &QTableView::activated, this, [this](const QModelIndex& at) {
        if (at.row() < 0 || std::size_t(at.row()) >= index_.changes().size() || !onGoTo) return;
        const Change& change = index_.changes()[std::size_t(at.row())];
        onGoTo(change.addressA, change.addressB);
    });
    connect(&index_, &ChangeIndex::changed, this, &ChangesDock::indexChanged);
    indexChanged();
}

ChangesDock::~ChangesDock() = default;

void ChangesDock::showList() {
    if (isHidden() && !isFloating()) makeRoomFor(window_, *this, *table_, 0);
    show();
    raise();
    if (index_.state() != ChangeIndex::State::Working && index_.state() != ChangeIndex::State::Complete) index_.start();
    table_->setFocus(Qt::OtherFocusReason);
}

void ChangesDock::selectChange(std::size_t index) {
    if (index >= std::size_t(model_->rowCount())) return;
    table_->setCurrentIndex(model_->index(int(index), 0));
    table_->scrollTo(table_->currentIndex());
}

void ChangesDock::allowRefresh(bool allowed) {
    refreshAllowed_ = allowed;
    head_->refresh->setEnabled(allowed);
}

void ChangesDock::indexChanged() {
    if (index_.generation() != shownGeneration_) {
        shownGeneration_ = index_.generation();
        model_->restart(index_.sizeA(), index_.sizeB(), index_.files());
    }
    model_->changesAdded();
    // The first change is current as soon as there is one: Enter shows it at once.
    if (model_->rowCount() > 0 && !table_->currentIndex().isValid()) table_->setCurrentIndex(model_->index(0, 0));
    showSummary();
}

std::size_t ChangesDock::currentChange() const {
    const int row = table_->currentIndex().row();
    return row > 0 ? std::size_t(row) : 0;
}

void ChangesDock::showSummary() {
    using State = ChangeIndex::State;
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const auto number = [&](std::int64_t n) { return russian.toString(qlonglong(n)); };
    const ChangeTotals& totals = index_.totals();
    const QString counts = QStringLiteral("изменений: %1 (вставлено байтов: %2, удалено: %3, заменено: %4 на %5)")
                               .arg(number(totals.changes), number(totals.inserted), number(totals.deleted),
                                    number(totals.replacedA), number(totals.replacedB));
    QString text;
    const State state = index_.state();
    switch (state) {
    case State::Empty:
        text = QStringLiteral("Список ещё не составлен.");
        break;
    case State::Working:
        text = QStringLiteral("Поиск изменений… %1\u00A0%").arg(int(index_.done() * 100));
        break;
    case State::Stopped: {
        // What was found stands: the list is whole as far as the search came.
        const std::int64_t widest = std::max(index_.sizeA(), index_.sizeB());
        text = QStringLiteral("Остановлено. Список полон до адреса %1 файла А (%2 файла В): ")
                   .arg(DifferenceText::address(index_.settledA(), widest), DifferenceText::address(index_.settledB(), widest)) +
               counts + QLatin1Char('.');
        break;
    }
    case State::OutOfDate:
        text = QStringLiteral("Список устарел: файлы могли измениться.");
        break;
    case State::Failed:
        text = QStringLiteral("Не удалось прочитать файлы.");
        break;
    case State::Complete: {
        if (totals.changes == 0) {
            text = QStringLiteral("Файлы совпадают.");
            break;
        }
        const std::int64_t sizeA = index_.sizeA(), matching = totals.matching(sizeA);
        // Never "100" while one byte differs.
        const double share = sizeA == 0 ? 0.0 : std::min(99.99, std::floor(double(matching) * 10000.0 / double(sizeA)) / 100.0);
        text = QStringLiteral("Всего ") + counts + QStringLiteral(". Совпадает %1\u00A0% байтов файла А.").arg(russian.toString(share, 'f', 2));
        if (index_.changes().size() < std::size_t(totals.changes))
            text += QStringLiteral(" Список показывает первые %1 изменений.").arg(number(std::int64_t(index_.changes().size())));
        if (!index_.heardAsTheyHappen()) text += DifferenceText::notHeardNote();
        break;
    }
    }
    head_->show(text, state == State::Working, index_.done(), refreshAllowed_);
    aligned_->setEnabled((state == State::Complete || state == State::Stopped) && totals.changes > 0);
    table_->setEnabled(state != State::OutOfDate);
}

void ChangesDock::setDos(bool dos) { model_->setDos(dos); }

void ChangesDock::addExport(UiServices& ui, std::function<QStringList()> loaded) {
    addRowExport(*table_, ui, [this](int row) { return model_->rowLine(row); }, std::move(loaded), QStringLiteral("changes.txt"));
}
