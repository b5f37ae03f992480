#pragma once
// The directory list: the open directory with the directories above it and the subdirectories
// below it. A click only highlights an entry; a double click (or Enter) opens it.

#include <QListWidget>

#include <string>
#include <string_view>

namespace deckshift::ui {

class DirList : public QListWidget {
    Q_OBJECT
public:
    /// Opens the start directory.
    explicit DirList(QWidget* parent);

    /// The open directory: no trailing separator except at a root.
    const std::string& path() const { return m_path; }
    /// Opens `directory`. When it cannot be listed the list keeps its directory, `error` gets the
    /// reason and the result is false. Change runs when the path really changes.
    bool setPath(std::string_view directory, std::string* error = nullptr);
    /// Lists the open directory's subdirectories again; when it can no longer be listed the list
    /// stays as it is.
    void refresh();
    /// Opens the entry at `row` as a double click does; a directory that cannot be listed is
    /// reported in a message box and the list stays where it was.
    void openRow(int row);

signals:
    /// The open directory changed.
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fill(const std::vector<std::string>& subdirectories);
    std::string m_path;
};

} // namespace deckshift::ui
