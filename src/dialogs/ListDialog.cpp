#include "dialogs/ListDialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/FixedDialog.h"

namespace tresslin {

ListDialog::ListDialog(QWidget* parent, const char* name, const QString& title,
                       QAbstractItemView* list, const char* listName)
    : QDialog(parent), list_(list) {
    setUpFixedDialog(*this, name, title, 6000, 3600);
    auto* layout = new QVBoxLayout(this);
    const int margin = twipsToPixels(60);
    layout->setContentsMargins(margin, margin, margin, margin);
    list_->setParent(this);
    list_->setObjectName(QString::fromLatin1(listName));
    layout->addWidget(list_);
    for (int row = 0; row < list_->model()->rowCount(); ++row) original_.append(row);
    setCurrentRow(0);
    list_->setFocus();
    list_->installEventFilter(this);
    connect(list_, &QAbstractItemView::activated, this, &ListDialog::chooseCurrent);
}

void ListDialog::enableFilter() {
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("txtFilter"));
    filter_->setPlaceholderText(tr("Type to filter"));
    filter_->setFocusPolicy(Qt::NoFocus);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, filter_);
    connect(filter_, &QLineEdit::textChanged, this, &ListDialog::filterRows);
}

void ListDialog::enableRemove(std::function<void(int)> remove) {
    remove_ = std::move(remove);
}

void ListDialog::setCurrentRow(int row) {
    const QModelIndex index = list_->model()->index(row, 0);
    if (index.isValid()) list_->setCurrentIndex(index);
}

std::optional<int> ListDialog::choose() {
    chosen_.reset();
    exec();
    return chosen_;
}

void ListDialog::chooseCurrent() {
    const QModelIndex index = list_->currentIndex();
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled) || index.row() >= original_.size())
        return;
    chosen_ = original_[index.row()];
    accept();
}

void ListDialog::setRowHidden(int row, bool hidden) {
    if (auto* tree = qobject_cast<QTreeView*>(list_))
        tree->setRowHidden(row, QModelIndex(), hidden);
    else if (auto* view = qobject_cast<QListView*>(list_))
        view->setRowHidden(row, hidden);
}

void ListDialog::filterRows(const QString& text) {
    const QAbstractItemModel& model = *list_->model();
    int first = -1;
    for (int row = 0; row < model.rowCount(); ++row) {
        bool holds = text.isEmpty();
        for (int column = 0; column < model.columnCount() && !holds; ++column)
            holds = model.index(row, column).data().toString().contains(text, Qt::CaseInsensitive);
        setRowHidden(row, !holds);
        if (holds && first < 0) first = row;
    }
    const QModelIndex current = list_->currentIndex();
    const bool hidden =
        !current.isValid() ||
        (qobject_cast<QTreeView*>(list_) &&
         qobject_cast<QTreeView*>(list_)->isRowHidden(current.row(), QModelIndex())) ||
        (qobject_cast<QListView*>(list_) &&
         qobject_cast<QListView*>(list_)->isRowHidden(current.row()));
    if (hidden) {
        if (first >= 0)
            setCurrentRow(first);
        else
            list_->setCurrentIndex({});
    }
}

void ListDialog::removeCurrent() {
    const QModelIndex index = list_->currentIndex();
    if (!remove_ || !index.isValid() || !(index.flags() & Qt::ItemIsEnabled)) return;
    const int row = index.row();
    remove_(original_[row]);
    original_.removeAt(row);
    list_->model()->removeRow(row);
}

bool ListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && remove_) {
            removeCurrent();
            return true;
        }
        const bool typed = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (filter_ && (typed || key->key() == Qt::Key_Backspace)) {
            if (typed)
                filter_->insert(key->text());
            else
                filter_->backspace();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ListDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            chooseCurrent();
            return;
        default:
            QDialog::keyPressEvent(event);  // Esc rejects
    }
}

namespace {

QTreeWidget* columnsList(const QStringList& headers) {
    auto* tree = new QTreeWidget;
    tree->setRootIsDecorated(false);
    tree->setHeaderLabels(headers);
    return tree;
}

// One row that only says why the list is empty; it cannot be chosen.
void addNote(QTreeWidget* tree, const QString& text) {
    auto* item = new QTreeWidgetItem(tree, {text});
    item->setFlags(Qt::NoItemFlags);
    item->setFirstColumnSpanned(true);
}

void fitColumns(QTreeWidget* tree, int stretched) {
    QHeaderView* header = tree->header();
    header->setStretchLastSection(false);
    for (int c = 0; c < tree->columnCount(); ++c)
        header->setSectionResizeMode(
            c, c == stretched ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
}

}  // namespace

std::optional<int> showContentsList(QWidget* parent, const QList<ContentsEntry>& entries,
                                    int current) {
    QTreeWidget* tree = columnsList(
        {ListDialog::tr("Heading"), ListDialog::tr("Line"), ListDialog::tr("Per cent")});
    for (const ContentsEntry& e : entries) {
        auto* item = new QTreeWidgetItem(tree, {e.heading, QString::number(e.line), e.percent});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (entries.isEmpty()) addNote(tree, ListDialog::tr("No chapter headings in this book"));
    fitColumns(tree, 0);
    ListDialog dialog(parent, "frmContents", ListDialog::tr("Contents"), tree, "lstContents");
    dialog.enableFilter();
    dialog.setCurrentRow(std::max(current, 0));
    return dialog.choose();
}

std::optional<int> showBookmarksList(QWidget* parent, const QList<BookmarkEntry>& marks,
                                     const std::function<void(int)>& remove) {
    QTreeWidget* tree = columnsList(
        {ListDialog::tr("Chapter"), ListDialog::tr("Per cent"), ListDialog::tr("Text")});
    for (const BookmarkEntry& m : marks) {
        auto* item = new QTreeWidgetItem(tree, {m.chapter, m.percent, m.words});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (marks.isEmpty())
        addNote(tree, ListDialog::tr("No bookmarks in this book: Ctrl+B sets one"));
    fitColumns(tree, 2);
    ListDialog dialog(parent, "frmBookmarks", ListDialog::tr("Bookmarks"), tree, "lstBookmarks");
    dialog.enableRemove(remove);
    return dialog.choose();
}

}  // namespace tresslin
