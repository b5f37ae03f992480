#include "ui/DirList.h"

#include "settings/Paths.h"
#include "ui/Drives.h"
#include "ui/MessageBox.h"
#include "ui/Text.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <filesystem>

namespace deckshift::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndent = 12;

/// Indents each entry by its depth below the root.
class IndentDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(index.data(kLevelRole).toInt() * kIndent, 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += index.data(kLevelRole).toInt() * kIndent;
        return size;
    }
};

bool listable(const std::string& directory, std::vector<std::string>& subdirectories,
              std::string* error) {
    std::error_code ec;
    const auto fsPath = settings::toFsPath(directory);
    if (fsPath.empty() || !std::filesystem::is_directory(fsPath, ec)) {
        if (error)
            *error = ec ? ec.message() : "no such directory";
        return false;
    }
    std::string listError;
    subdirectories = settings::listDirectories(directory, &listError);
    if (!listError.empty()) {
        if (error)
            *error = listError;
        return false;
    }
    return true;
}

} // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { openRow(row(item)); });
    std::vector<std::string> subdirectories;
    const std::string start = startDirectory();
    if (listable(start, subdirectories, nullptr)) {
        m_path = start;
    } else {
        m_path = fallbackRoot();
        listable(m_path, subdirectories, nullptr);
    }
    fill(subdirectories);
}

bool DirList::setPath(std::string_view directory, std::string* error) {
    const std::string path = normalizeDirectory(directory);
    std::vector<std::string> subdirectories;
    if (!listable(path, subdirectories, error))
        return false;
    const bool changed = path != m_path;
    m_path = path;
    fill(subdirectories);
    if (changed)
        emit Change();
    return true;
}

void DirList::refresh() {
    std::vector<std::string> subdirectories;
    if (listable(m_path, subdirectories, nullptr))
        fill(subdirectories);
}

void DirList::openRow(int row) {
    const QListWidgetItem* entry = item(row);
    if (!entry)
        return;
    const std::string target = entry->data(kPathRole).toByteArray().toStdString();
    std::string error;
    if (!setPath(target, &error)) {
        showMessage(QStringLiteral("The directory %1 cannot be opened: %2. The list stays at %3.")
                        .arg(qs(target), qs(error), qs(m_path)),
                    QStringLiteral("Deckshift"));
    }
}

void DirList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
        openRow(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void DirList::fill(const std::vector<std::string>& subdirectories) {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    std::vector<std::string> chain;
    for (std::string p = m_path; !p.empty(); p = parentDirectory(p))
        chain.insert(chain.begin(), p);
    int level = 0;
    QListWidgetItem* current = nullptr;
    for (const std::string& p : chain) {
        auto* entry = new QListWidgetItem(open, qs(directoryName(p)), this);
        entry->setData(kPathRole, QByteArray::fromStdString(p));
        entry->setData(kLevelRole, level++);
        current = entry;
    }
    for (const std::string& name : subdirectories) {
        auto* entry = new QListWidgetItem(closed, qs(name), this);
        entry->setData(kPathRole, QByteArray::fromStdString(childDirectory(m_path, name)));
        entry->setData(kLevelRole, level);
    }
    if (current) {
        setCurrentItem(current);
        scrollToItem(current);
    }
}

} // namespace deckshift::ui
