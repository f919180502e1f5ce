#include "gui/Shots.h"

#include <cstdio>

#include <QApplication>
#include <QLayout>
#include <QPixmap>
#include <QScrollArea>
#include <QWidget>

bool Shooter::Save(QWidget* widget, const QString& name, bool settle) {
    // A layout that changes its rows for the width settles in a few rounds.
    if (settle)
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    CheckFits(widget, name);
    const QString path = m_dir.filePath(name + ".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "%s: cannot write %s\n", m_toolName, qPrintable(path));
        m_failed = true;
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    ++m_count;
    return true;
}

void Shooter::CheckFits(QWidget* widget, const QString& name) const {
    if (widget->layout()) {
        const QSize needed = widget->layout()->minimumSize();
        if (needed.width() > widget->width() || needed.height() > widget->height())
            std::fprintf(stderr, "%s: %s needs %dx%d, has %dx%d\n", m_toolName, qPrintable(name), needed.width(),
                         needed.height(), widget->width(), widget->height());
    }
    for (QScrollArea* scroll : widget->findChildren<QScrollArea*>()) {
        if (!scroll->isVisible() || !scroll->widget()) continue;
        const int needed = scroll->widget()->minimumSizeHint().width();
        if (needed > scroll->viewport()->width())
            std::fprintf(stderr, "%s: %s: page content needs %d pixels across, has %d\n", m_toolName,
                         qPrintable(name), needed, scroll->viewport()->width());
    }
}

QString Slug(QString text) {
    text = text.toLower();
    text.replace(' ', '-');
    return text;
}

int RunShots(int argc, char** argv, const char* toolName, const std::function<void(Shooter&)>& shoot) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: %s OUTDIR\n", toolName);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString outdir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outdir)) {
        std::fprintf(stderr, "%s: cannot create %s\n", toolName, argv[1]);
        return 1;
    }
    Shooter shots(outdir, toolName);
    shoot(shots);
    std::printf("%d images\n", shots.Count());
    return shots.Failed() ? 1 : 0;
}
