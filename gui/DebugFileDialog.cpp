#include "gui/DebugFileDialog.h"

#include <cstdio>

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "DebugFileActions.h"
#include "MAReceiver.h"
#include "gui/Abort.h"
#include "gui/FileChooser.h"
#include "gui/Touch.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;

namespace {
int g_pollMs = 1000;
constexpr int kPathChars = 260;
} // namespace

void CDebugFileDialog::SetPollInterval(int ms) { g_pollMs = ms; }

CDebugFileDialog::CDebugFileDialog(ProgramState& program, Variant variant, QWidget* parent)
    : QDialog(parent), m_program(program), m_variant(variant), m_state(std::make_shared<std::atomic<int>>(kIdle)) {
    const bool handheld = variant == Variant::Handheld;
    setWindowTitle("Debug File");
    m_enable = new QPushButton("&Enable", this);
    m_enable->setObjectName("Enable");
    m_disable = new QPushButton("&Disable", this);
    m_disable->setObjectName("Disable");
    m_status = new QLabel("It is unknown whether file is enabled or disabled.", this);
    m_status->setObjectName("RecordingState");
    m_status->setWordWrap(true);
    m_path = new QLineEdit(this);
    m_path->setObjectName("SavePath");
    m_path->setMaxLength(kPathChars - 1);
    m_browse = new QPushButton("&Browse...", this);
    m_browse->setObjectName("Browse");
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("TransferProgress");
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_get = new QPushButton("&Get File", this);
    m_get->setObjectName("GetFile");
    m_delete = new QPushButton("De&lete File", this);
    m_delete->setObjectName("DeleteFile");
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);

    auto* recording = new QHBoxLayout;
    recording->addWidget(m_enable);
    recording->addWidget(m_disable);
    recording->addStretch();
    auto* pathLabel = new QLabel(handheld ? "&Save file path:" : "&Save File Path:", this);
    pathLabel->setBuddy(m_path);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    auto* progressLabel = new QLabel(handheld ? "Transfer progress..." : "Transfer Progress...", this);
    auto* file = new QHBoxLayout;
    file->addStretch();
    file->addWidget(m_get);
    file->addWidget(m_delete);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(recording);
    layout->addWidget(m_status);
    layout->addSpacing(8);
    layout->addWidget(pathLabel);
    layout->addLayout(pathRow);
    layout->addWidget(progressLabel);
    layout->addWidget(m_progress);
    layout->addStretch();
    layout->addLayout(file);
    if (!handheld) setMinimumWidth(380);
    if (handheld) {
        // A controller's window manager may draw no title bar to close it by.
        auto* close = new QPushButton("Close", this);
        close->setObjectName("Close");
        connect(close, &QPushButton::clicked, this, &QDialog::reject);
        auto* closeRow = new QHBoxLayout;
        closeRow->addStretch();
        closeRow->addWidget(close);
        layout->addLayout(closeRow);
        FitToScreen(this);
    }

    connect(m_enable, &QPushButton::clicked, this, [this] { SwitchRecording(true); });
    connect(m_disable, &QPushButton::clicked, this, [this] { SwitchRecording(false); });
    connect(m_browse, &QPushButton::clicked, this, &CDebugFileDialog::Browse);
    connect(m_get, &QPushButton::clicked, this, &CDebugFileDialog::GetFile);
    connect(m_delete, &QPushButton::clicked, this, &CDebugFileDialog::DeleteFile);
    connect(m_timer, &QTimer::timeout, this, &CDebugFileDialog::Tick);
}

void CDebugFileDialog::SwitchRecording(bool enable) {
    MAReceiver* receiver = m_program.receiver;
    QPointer<CDebugFileDialog> self(this);
    m_program.worker->RunWithWaitCursor([receiver, enable] { receiver->SetDebugFileEnabled(enable); },
                                        [self, enable] {
                                            if (self)
                                                self->m_status->setText(enable ? "Debug file is enabled."
                                                                               : "Debug file is disabled.");
                                        });
}

void CDebugFileDialog::Browse() {
    const QString start = m_path->text().isEmpty() ? QDir::home().filePath("DebugFile.bin") : m_path->text();
    const QString chosen = ChooseSaveFile(this, "Debug File", start, m_variant == Variant::Handheld);
    if (!chosen.isEmpty()) m_path->setText(QDir::toNativeSeparators(chosen));
}

void CDebugFileDialog::SetLocked(bool locked) {
    // Enable and Disable share the link with the download: locked as well.
    for (QPushButton* b : {m_get, m_delete, m_browse, m_enable, m_disable}) {
        b->setEnabled(!locked);
        b->repaint();
    }
}

void CDebugFileDialog::GetFile() {
    if (m_program.worker->Busy()) return;
    const QByteArray path = QFile::encodeName(m_path->text().left(kPathChars - 1));
    m_progress->setValue(0);
    *m_state = kStarted;
    m_timer->start(g_pollMs);
    MAReceiver* receiver = m_program.receiver;
    QtOperator* ui = m_program.ui;
    ui->SetProgressBar(m_progress);
    auto state = m_state;
    const Variant variant = m_variant;
    m_program.worker->Run([receiver, ui, path, state, variant] {
        if (!DebugSavePathGiven(*ui, path.constData(), variant)) return;  // the state stays 0
        *state = kWorkerRunning;
        // A download stopped because the program closes leaves the file as
        // it was: the core writes beside it and replaces it only when whole.
        if (ConfirmDebugDownload(*ui, variant)) DownloadDebugFileAndReport(*receiver, path.constData(), ui);
        *state = kWorkerFinished;
    });
}

void CDebugFileDialog::Tick() {
    switch (m_state->load()) {
    case kWorkerRunning:
        SetLocked(true);
        *m_state = kButtonsLocked;
        m_timer->start(g_pollMs);
        break;
    case kWorkerFinished:
        SetLocked(false);
        m_progress->setValue(0);
        *m_state = kIdle;
        break;
    case kIdle: break;
    default:
        // An empty path leaves the state at 0: nothing more to wait for
        // once the worker is idle.
        if (*m_state == kStarted && !m_program.worker->Busy()) break;
        m_timer->start(g_pollMs);
        break;
    }
}

void CDebugFileDialog::DeleteFile() {
    MAReceiver* receiver = m_program.receiver;
    m_program.worker->RunWithWaitCursor([receiver] { DeleteDebugFileAsked(*receiver); });
}
