#pragma once
#include <functional>

#include <QDir>
#include <QString>

class QWidget;

// The review tools qvr-desktop-shots and qvr-handheld-shots: each renders
// the program's pages and dialogs to PNG files in a folder.
class Shooter {
public:
    Shooter(const QString& dir, const char* toolName) : m_dir(dir), m_toolName(toolName) {}

    // Saves the widget as NAME.png. settle = false: as the widget is now,
    // before pending events (the end of a receiver operation) are processed.
    // Also says on stderr what does not fit the widget: its layout asking
    // for more than it has, or a page's content wider than its scroll area.
    bool Save(QWidget* widget, const QString& name, bool settle = true);
    int Count() const { return m_count; }
    bool Failed() const { return m_failed; }

private:
    void CheckFits(QWidget* widget, const QString& name) const;

    QDir m_dir;
    const char* m_toolName;
    int m_count = 0;
    bool m_failed = false;
};

// A file-name part for a tab caption: "Receiver Settings" -> "receiver-settings".
QString Slug(QString text);

// The tool's main(): usage "TOOL OUTDIR", the offscreen platform unless
// another is asked for, the folder made, then shoot; the exit status (2 for
// wrong usage, 1 when an image could not be written).
int RunShots(int argc, char** argv, const char* toolName, const std::function<void(Shooter&)>& shoot);
