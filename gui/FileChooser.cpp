#include "gui/FileChooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScroller>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/Touch.h"

namespace {
constexpr int kFolderRole = Qt::UserRole + 1;
}

CompactFileChooser::CompactFileChooser(const QString& caption, const QString& start, QWidget* parent)
    : QDialog(parent) {
    setObjectName("FileChooser");
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_up = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogToParent, nullptr, this), "Up", this);
    m_up->setObjectName("Up");
    m_where = new QLabel(this);
    m_where->setObjectName("Folder");
    m_where->setWordWrap(true);
    m_entries = new QListWidget(this);
    m_entries->setObjectName("Entries");
    m_entries->setUniformItemSizes(true);
    m_entries->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_entries->setTextElideMode(Qt::ElideMiddle);
    // A finger drags the list.
    QScroller::grabGesture(m_entries->viewport(), QScroller::LeftMouseButtonGesture);
    auto* nameLabel = new QLabel("File name:", this);
    m_name = new QLineEdit(this);
    m_name->setObjectName("FileName");
    nameLabel->setBuddy(m_name);
    m_save = new QPushButton("Save", this);
    m_save->setObjectName("Save");
    m_save->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Cancel");

    auto* top = new QHBoxLayout;
    top->addWidget(m_up);
    top->addWidget(m_where, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(top);
    layout->addWidget(m_entries, 1);
    layout->addWidget(nameLabel);
    layout->addWidget(m_name);
    layout->addLayout(buttons);

    connect(m_up, &QPushButton::clicked, this, [this] {
        QDir parentDir = m_folder;
        if (parentDir.cdUp()) OpenFolder(parentDir.absolutePath());
    });
    // One tap: a stylus has no double click.
    connect(m_entries, &QListWidget::itemClicked, this, &CompactFileChooser::Tapped);
    connect(m_entries, &QListWidget::itemActivated, this, &CompactFileChooser::Tapped);
    connect(m_save, &QPushButton::clicked, this, &CompactFileChooser::Save);
    connect(m_name, &QLineEdit::returnPressed, this, &CompactFileChooser::Save);
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& t) { m_save->setEnabled(!t.trimmed().isEmpty()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const QFileInfo info(start);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    OpenFolder(QFileInfo(folder).isDir() ? folder : QDir::homePath());
    m_name->setText(info.isDir() ? QString() : info.fileName());
    m_save->setEnabled(!m_name->text().trimmed().isEmpty());

    // The whole screen on a small one, else a comfortable size.
    const QRect area = ScreenArea(parent);
    FitToScreen(this, QSize(std::min(area.width(), 480), std::min(area.height(), 560)));
}

void CompactFileChooser::OpenFolder(const QString& path) {
    m_folder = QDir(path);
    m_where->setText(QDir::toNativeSeparators(m_folder.absolutePath()));
    m_up->setEnabled(!m_folder.isRoot());
    m_entries->clear();
    const QFileInfoList folders =
        m_folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& f : folders) {
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_DirIcon, nullptr, this), f.fileName(), m_entries);
        item->setData(kFolderRole, true);
    }
    for (const QFileInfo& f : m_folder.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(style()->standardIcon(QStyle::SP_FileIcon, nullptr, this), f.fileName(), m_entries);
        item->setData(kFolderRole, false);
    }
}

void CompactFileChooser::Tapped(QListWidgetItem* item) {
    if (!item) return;
    if (item->data(kFolderRole).toBool()) {
        const QString next = m_folder.absoluteFilePath(item->text());
        // Opened after the tap's own handling is over: the item goes away.
        QTimer::singleShot(0, this, [this, next] { OpenFolder(next); });
    } else {
        m_name->setText(item->text());
    }
}

void CompactFileChooser::Save() {
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) return;
    // A name with a folder in it is taken as given (relative to this folder).
    m_chosen = QDir::cleanPath(m_folder.absoluteFilePath(name));
    accept();
}

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& start, bool compact) {
    if (!compact) return QFileDialog::getSaveFileName(parent, caption, start);
    CompactFileChooser chooser(caption, start, parent);
    return chooser.exec() == QDialog::Accepted ? chooser.ChosenPath() : QString();
}
