#include "gui/Help.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

namespace {

int g_lastTopic = 0;
HelpBook g_book;

// One help window for the whole program: a contents list on the left and
// the topic on the right. Links of the form "topic:N" move between topics.
class HelpWindow : public QWidget {
public:
    explicit HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
        setObjectName("QVRHelpWindow");
        setAttribute(Qt::WA_DeleteOnClose, false);

        m_contents = new QListWidget(this);
        m_contents->setObjectName("Contents");
        m_contents->setSpacing(2);
        for (int topic = 1; topic <= g_book.count; ++topic)
            m_contents->addItem(QString::fromLatin1(g_book.title(topic)));
        m_contents->setMaximumWidth(m_contents->sizeHintForColumn(0) + 2 * m_contents->frameWidth() + 16);

        m_text = new QTextBrowser(this);
        m_text->setObjectName("Topic");
        m_text->setOpenLinks(false);

        auto* layout = new QHBoxLayout(this);
        layout->addWidget(m_contents);
        layout->addWidget(m_text, 1);
        resize(720, 520);

        connect(m_contents, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) Show(row + 1);
        });
        connect(m_text, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
            if (url.scheme() == "topic") Show(url.path().toInt());
        });
    }

    void Show(int topic) {
        if (topic < 1 || topic > g_book.count) return;
        g_lastTopic = topic;
        if (topic == m_topic) return;
        m_topic = topic;
        setWindowTitle(QString("%1 - %2").arg(QString::fromLatin1(g_book.windowTitle), QString::fromLatin1(g_book.title(topic))));
        m_text->setHtml(QString::fromUtf8(g_book.html(topic)));
        if (m_contents->currentRow() != topic - 1) m_contents->setCurrentRow(topic - 1);
    }

private:
    QListWidget* m_contents;
    QTextBrowser* m_text;
    int m_topic = 0;
};

QPointer<HelpWindow> g_window;

} // namespace

void SetHelpBook(const HelpBook& book) { g_book = book; }

void ShowHelpTopic(int topic, QWidget* parent) {
    if (topic < 1 || topic > g_book.count) return;
    // The window belongs to the program's window, so it stays usable while
    // that window is modal and goes away with it.
    QWidget* owner = parent ? parent->window() : nullptr;
    if (!g_window) {
        g_window = new HelpWindow(owner);
        // A window without an owner is deleted with the application.
        static bool cleanup = [] {
            qAddPostRoutine([] { delete g_window.data(); });
            return true;
        }();
        (void)cleanup;
    } else if (owner && g_window->parentWidget() != owner) {
        const QRect geometry = g_window->geometry();
        g_window->setParent(owner, Qt::Window);
        g_window->setGeometry(geometry);
    }
    g_window->Show(topic);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}

int LastHelpTopic() { return g_lastTopic; }
