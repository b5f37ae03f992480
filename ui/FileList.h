#pragma once
// The file list: the ordinary files of a directory whose names match a pattern ("*" and "?",
// letter case ignored; several patterns separated by ";"), in the order NTFS lists them. Its value
// is the selected name.

#include <QListWidget>

#include <string>
#include <string_view>

namespace deckshift::ui {

class FileList : public QListWidget {
    Q_OBJECT
public:
    /// Lists the start directory with the pattern "*.*".
    explicit FileList(QWidget* parent);

    const std::string& pattern() const { return m_pattern; }
    /// Sets the pattern and lists the directory again.
    void setPattern(std::string_view pattern);
    const std::string& path() const { return m_path; }
    /// Lists `directory`; no file is selected afterwards.
    void setPath(std::string_view directory);
    /// Lists the directory again. The selected file stays selected, without a Click, while it is
    /// still listed; otherwise nothing is selected afterwards.
    void refresh();
    /// The selected name, without its directory; empty when none is selected.
    std::string fileName() const;
    /// All names listed, in order.
    std::vector<std::string> names() const;
    /// Selects `name` as a click on it would (Click runs). False when it is not listed.
    bool selectName(std::string_view name);

signals:
    /// A file was selected, by the user or the program, or the selected file clicked again.
    void Click();
    /// The user double-clicked a file (it is selected by then).
    void DoubleClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refill();
    std::string m_pattern = "*.*";
    std::string m_path;
    bool m_refilling = false;
    bool m_clickedInPress = false;
};

} // namespace deckshift::ui
