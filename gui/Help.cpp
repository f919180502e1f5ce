#include "gui/Help.h"

#include <algorithm>
#include <string>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTextFrame>
#include <QVBoxLayout>
#include <QPointer>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "gui/Touch.h"

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

        // A controller's window manager may draw no title bar: the
        // document (the handheld's help) gets a button to close it.
        m_close = new QPushButton("Close", this);
        m_close->setObjectName("Close");
        m_close->hide();
        connect(m_close, &QPushButton::clicked, this, &QWidget::close);

        auto* panes = new QHBoxLayout;
        panes->addWidget(m_contents);
        panes->addWidget(m_text, 1);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(panes, 1);
        layout->addWidget(m_close, 0, Qt::AlignRight);
        resize(720, 520);

        // The anchor stays at the top while the window finds its size (a
        // window manager maximises it after it is shown), until the
        // reader scrolls.
        m_text->viewport()->installEventFilter(this);
        connect(m_text->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { m_pinned = false; });

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
        m_close->show();
        m_topic = 0;
        setWindowTitle(QString::fromLatin1(document.windowTitle));
        if (m_document != document.html) {
            m_document = document.html;
            m_text->setHtml(QString::fromUtf8(document.html));
        }
        m_anchor = anchor;
        m_pinned = true;
        ScrollToAnchor();
    }

    // Once the window is laid out, the anchor's place is known. Room after
    // the last section lets every section reach the top.
    void ScrollToAnchor() {
        if (m_topic == 0 && m_document) {
            QTextFrameFormat format = m_text->document()->rootFrame()->frameFormat();
            const int room = std::max(0, m_text->viewport()->height() - 2 * m_text->fontMetrics().lineSpacing());
            if (int(format.bottomMargin()) != room) {
                format.setBottomMargin(room);
                m_text->document()->rootFrame()->setFrameFormat(format);
            }
        }
        if (m_anchor.isEmpty()) m_text->verticalScrollBar()->setValue(0);
        else m_text->scrollToAnchor(m_anchor);
    }

    // A screen smaller than the window (a field controller's) gets it
    // whole, at once: the anchor is placed for the size the reader sees.
    void FitScreen(QWidget* owner) {
        const QRect available = ScreenArea(owner);
        if (available.width() < 720 || available.height() < 520) FitToScreen(this, available.size());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_text->viewport()) {
            if (event->type() == QEvent::Resize && m_pinned) {
                QPointer<HelpWindow> self(this);
                QTimer::singleShot(0, this, [self] {
                    if (self && self->m_pinned) self->ScrollToAnchor();
                });
            }
            if (event->type() == QEvent::Wheel || event->type() == QEvent::MouseButtonPress) m_pinned = false;
        }
        return QWidget::eventFilter(watched, event);
    }

public:

    void Show(int topic) {
        if (topic < 1 || topic > g_book.count) return;
        g_lastTopic = topic;
        if (topic == m_topic) return;
        m_topic = topic;
        m_document = nullptr;
        m_close->hide();
        setWindowTitle(QString("%1 - %2").arg(QString::fromLatin1(g_book.windowTitle), QString::fromLatin1(g_book.title(topic))));
        m_text->setHtml(QString::fromUtf8(g_book.html(topic)));
        if (m_contents->currentRow() != topic - 1) m_contents->setCurrentRow(topic - 1);
    }

private:
    QListWidget* m_contents;
    QTextBrowser* m_text;
    QPushButton* m_close;
    bool m_pinned = false;
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
