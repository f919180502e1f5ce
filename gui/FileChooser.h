#pragma once
#include <QDialog>
#include <QDir>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Choosing a file to save to on a small touch screen: the folder it is in,
// a button up to the parent folder, the folder's subfolders and files in
// a list (a tap opens a folder or takes a file's name), the file name, and
// Save and Cancel. It fits a 240 x 320 screen.
class CompactFileChooser : public QDialog {
    Q_OBJECT
public:
    // Starts in the folder of start with its file name in the name field.
    CompactFileChooser(const QString& caption, const QString& start, QWidget* parent = nullptr);

    // The full path chosen (after Save).
    QString ChosenPath() const { return m_chosen; }
    QString Folder() const { return m_folder.absolutePath(); }
    void OpenFolder(const QString& path);

    QListWidget* Entries() const { return m_entries; }
    QLineEdit* Name() const { return m_name; }
    QPushButton* UpButton() const { return m_up; }
    QPushButton* SaveButton() const { return m_save; }

private:
    void Tapped(QListWidgetItem* item);
    void Save();

    QDir m_folder;
    QLabel* m_where;
    QPushButton* m_up;
    QListWidget* m_entries;
    QLineEdit* m_name;
    QPushButton* m_save;
    QString m_chosen;
};

// A file to save to: Qt's own dialog on the desktop, the chooser above on
// the handheld (compact). Empty when cancelled.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& start, bool compact);
