#include "ui/FileList.h"

#include "settings/Paths.h"
#include "ui/Drives.h"
#include "ui/Text.h"

#include <QApplication>

#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

namespace deckshift::ui {

namespace {

/// Rows as tall as the directory list's, whose entries carry a small folder icon, so that the two
/// lists side by side line up and a selected name is not cut at its bottom (the "_" between group
/// and subgroup). A row asks for no width of its own: it takes the list's width, and a longer name
/// is shortened there.
class FileRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem row(option);
        initStyleOption(&row, index);
        const QWidget* view = row.widget;
        const QStyle* style = view ? view->style() : QApplication::style();
        const int icon = style->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
        row.features |= QStyleOptionViewItem::HasDecoration;
        row.decorationSize = QSize(icon, icon);
        return {1, style->sizeFromContents(QStyle::CT_ItemViewItem, &row, QSize(), view).height()};
    }
};

} // namespace

FileList::FileList(QWidget* parent) : QListWidget(parent), m_path(startDirectory()) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new FileRowDelegate(this));
    // The end of a playlist's name tells its subgroup: a long name loses its middle instead.
    setTextElideMode(Qt::ElideMiddle);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* entry) {
        if (entry && entry->isSelected())
            emit DoubleClick();
    });
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_refilling || selectedItems().isEmpty())
            return;
        m_clickedInPress = true;
        emit Click();
    });
    refill();
}

void FileList::setPattern(std::string_view pattern) {
    m_pattern = std::string(pattern);
    refill();
}

void FileList::setPath(std::string_view directory) {
    m_path = normalizeDirectory(directory);
    refill();
}

void FileList::refresh() {
    const std::string selected = fileName();
    refill();
    if (selected.empty())
        return;
    m_refilling = true;
    for (int i = 0; i < count(); ++i) {
        if (item(i)->data(Qt::UserRole).toByteArray().toStdString() == selected) {
            setCurrentRow(i);
            item(i)->setSelected(true);
            break;
        }
    }
    m_refilling = false;
}

std::string FileList::fileName() const {
    const auto selected = selectedItems();
    if (selected.isEmpty())
        return {};
    return selected.front()->data(Qt::UserRole).toByteArray().toStdString();
}

std::vector<std::string> FileList::names() const {
    std::vector<std::string> all;
    for (int i = 0; i < count(); ++i)
        all.push_back(item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return all;
}

bool FileList::selectName(std::string_view name) {
    for (int i = 0; i < count(); ++i) {
        if (item(i)->data(Qt::UserRole).toByteArray().toStdString() == name) {
            if (item(i)->isSelected()) {
                emit Click();
            } else {
                setCurrentRow(i);
                item(i)->setSelected(true);
            }
            return true;
        }
    }
    return false;
}

void FileList::mousePressEvent(QMouseEvent* event) {
    m_clickedInPress = false;
    QListWidget::mousePressEvent(event);
    // A click on the file already selected is a click too.
    if (!m_clickedInPress && isEnabled()) {
        if (const QListWidgetItem* hit = itemAt(event->position().toPoint());
            hit && hit->isSelected())
            emit Click();
    }
}

void FileList::refill() {
    m_refilling = true;
    clear();
    std::vector<std::string> names;
    std::string_view patterns = m_pattern;
    while (true) {
        const auto cut = patterns.find(';');
        for (std::string& name : settings::listFiles(m_path, patterns.substr(0, cut)))
            names.push_back(std::move(name));
        if (cut == std::string_view::npos)
            break;
        patterns.remove_prefix(cut + 1);
    }
    if (m_pattern.find(';') != std::string::npos) {
        std::sort(names.begin(), names.end(), settings::ntfsLess);
        names.erase(std::unique(names.begin(), names.end()), names.end());
    }
    for (const std::string& name : names) {
        auto* entry = new QListWidgetItem(qs(name), this);
        entry->setData(Qt::UserRole, QByteArray::fromStdString(name));
        entry->setToolTip(entry->text());
    }
    setCurrentRow(-1);
    m_refilling = false;
}

} // namespace deckshift::ui
