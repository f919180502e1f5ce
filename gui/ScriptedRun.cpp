#include "gui/ScriptedRun.h"

#include <cstdio>
#include <memory>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QStringList>
#include <QTabBar>
#include <QTimer>
#include <QWidget>

#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"

namespace {

struct Script {
    QString port;
    QString image;
    int timeoutMs = 180000;
};

bool ReadScript(Script* script) {
    const QString text = qEnvironmentVariable("QVR_SCRIPTED_CONNECT");
    const qsizetype split = text.indexOf(';');
    if (split <= 0 || split == text.size() - 1) return false;
    script->port = text.left(split);
    script->image = text.mid(split + 1);
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("QVR_SCRIPTED_TIMEOUT", &ok);
    if (ok && seconds > 0) script->timeoutMs = seconds * 1000;
    return true;
}

// The tab captions of the sheet, in order.
QString Tabs(QWidget* sheet) {
    QStringList tabs;
    for (const QTabBar* bar : sheet->findChildren<QTabBar*>())
        for (int i = 0; i < bar->count(); ++i) tabs << bar->tabText(i).remove('&');
    return tabs.join(", ");
}

void SaveImages(QWidget* sheet, const QString& image) {
    if (!sheet->grab().save(image)) std::fprintf(stderr, "cannot write %s\n", qPrintable(image));
    QString screenImage = image;
    if (screenImage.endsWith(".png", Qt::CaseInsensitive)) screenImage.chop(4);
    screenImage += "-screen.png";
    if (QScreen* screen = QGuiApplication::primaryScreen())
        if (!screen->grabWindow(0).save(screenImage)) std::fprintf(stderr, "cannot write %s\n", qPrintable(screenImage));
}

void Finish(QPointer<QWidget> sheet, const Script& script, bool connected) {
    if (!sheet) return;
    SaveImages(sheet, script.image);
    std::printf("%s: %s\n", connected ? "connected" : "not connected", qPrintable(Tabs(sheet)));
    std::fflush(stdout);
    if (connected) sheet->close();
    else QCoreApplication::exit(3);
}

} // namespace

void StartScriptedRun(QWidget* sheet, ProgramState& program) {
    Script script;
    if (!ReadScript(&script)) return;
    QPointer<QWidget> guarded(sheet);
    // Once the sheet is on the screen and the event loop runs.
    QTimer::singleShot(500, sheet, [guarded, script, &program] {
        if (!guarded) return;
        auto* ports = guarded->findChild<QComboBox*>("PortList");
        auto* connect = guarded->findChild<QAbstractButton*>("Connect");
        if (!ports || !connect) {
            std::fprintf(stderr, "scripted run: no port list or Connect button\n");
            QCoreApplication::exit(3);
            return;
        }
        const int index = ports->findText(script.port);
        if (index >= 0) ports->setCurrentIndex(index);
        else if (ports->isEditable()) ports->setEditText(script.port);
        connect->click();

        // The connect has ended when the worker is idle again and the page
        // shows its outcome (the handheld page takes it over on a timer).
        auto* poll = new QTimer(guarded);
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        QObject::connect(poll, &QTimer::timeout, guarded, [guarded, script, &program, poll, clock, connect] {
            const bool ended = program.worker && !program.worker->Busy() && connect->isEnabled() &&
                               (program.connected || clock->elapsed() > 3000);
            if (!ended && clock->elapsed() < script.timeoutMs) return;
            poll->stop();
            const bool connected = program.connected;
            // The tabs the connect added have been laid out and painted.
            QTimer::singleShot(1000, guarded, [guarded, script, connected] { Finish(guarded, script, connected); });
        });
        poll->start(200);
    });
}
