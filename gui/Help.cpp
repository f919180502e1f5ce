#include "gui/Help.h"

#include <string>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

int g_lastTopic = 0;
HelpBook g_book;
std::string g_lastCommandLine;

// One help window for the whole program: a contents list on the left and
// the topic on the right. Links of the form "topic:N" move between topics.
// A program with one document shows it alone; links "#NAME" move within it.
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
            else if (url.scheme().isEmpty() && url.path().isEmpty() && url.hasFragment())
                m_text->scrollToAnchor(url.fragment());
        });
        m_contents->setVisible(g_book.count > 0);
    }

    void ShowDocument(const HelpDocument& document, const QString& anchor) {
        m_contents->hide();
        m_topic = 0;
        setWindowTitle(QString::fromLatin1(document.windowTitle));
        if (m_document != document.html) {
            m_document = document.html;
            m_text->setHtml(QString::fromUtf8(document.html));
        }
        m_anchor = anchor;
        ScrollToAnchor();
    }

    // Once the window is laid out, the anchor's place is known.
    void ScrollToAnchor() {
        if (m_anchor.isEmpty()) m_text->moveCursor(QTextCursor::Start);
        else m_text->scrollToAnchor(m_anchor);
    }

    // A screen smaller than the window (a field controller's) gets it whole.
    void FitScreen(QWidget* owner) {
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (!screen) return;
        const QRect available = screen->availableGeometry();
        if (available.width() < 720 || available.height() < 520) setWindowState(windowState() | Qt::WindowMaximized);
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
    const char* m_document = nullptr;
    QString m_anchor;
};

QPointer<HelpWindow> g_window;

} // namespace

void SetHelpBook(const HelpBook& book) { g_book = book; }

namespace {

// The one help window, made on first use. It belongs to the program's
// window, so it stays usable while that window is modal and goes away with
// it.
HelpWindow* Window(QWidget* parent) {
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
    g_window->FitScreen(owner);
    return g_window;
}

} // namespace

void ShowHelpTopic(int topic, QWidget* parent) {
    if (topic < 1 || topic > g_book.count) return;
    Window(parent);
    g_window->Show(topic);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
}

int LastHelpTopic() { return g_lastTopic; }

void ShowHelpDocument(const HelpDocument& document, const char* anchor, QWidget* parent) {
    if (!anchor) anchor = "";
    g_lastCommandLine = std::string(document.fileName) + anchor;
    const QString name = QString::fromLatin1(anchor).remove(0, anchor[0] == '#' ? 1 : 0);
    Window(parent)->ShowDocument(document, name);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    QPointer<HelpWindow> window = g_window;
    QTimer::singleShot(0, window, [window] {
        if (window) window->ScrollToAnchor();
    });
}

const char* LastHelpCommandLine() { return g_lastCommandLine.c_str(); }
