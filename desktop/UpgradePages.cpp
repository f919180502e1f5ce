#include "desktop/UpgradePages.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "GsmUpgrade.h"
#include "RadioPageActions.h"
#include "UhfUpgrade.h"
#include "gui/FormLayout.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;

namespace {

// The upgrade path the worker gets: at most 260 characters of the field.
constexpr int kMaxPathChars = 260;

const char* const kSuccessText = "Upgrade Successful!";
const char* const kFailureText =
    "Upgrade was not successful. Verify radio operation and contact a service depot for assistance.";
const char* const kNotSuccessful = "Finished. Not Successful.";

int g_firstPollMs = 2000;
int g_nextPollMs = 200;

} // namespace

// ---------------------------------------------------------------- shared

void CUpgradePage::SetPollIntervals(int firstMs, int nextMs) {
    g_firstPollMs = firstMs;
    g_nextPollMs = nextMs;
}

CUpgradePage::CUpgradePage(ProgramState& program, const QString& caption, int helpTopic, const Texts& texts,
                           QWidget* parent)
    : CQVRPage(program, caption, helpTopic, parent), m_texts(texts) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    auto* explanation = new QVBoxLayout;
    explanation->setSpacing(0);
    for (int i = 0; i < texts.explanation.size(); ++i) {
        auto* line = new QLabel(texts.explanation[i], this);
        line->setObjectName(QString("Explanation%1").arg(i + 1));
        line->setWordWrap(true);
        explanation->addWidget(line);
    }
    layout->addLayout(explanation);
    layout->addSpacing(12);

    m_file = new QLineEdit(this);
    m_file->setObjectName("UpgradeFile");
    m_file->setMaxLength(kMaxPathChars);
    m_browse = new QPushButton("&Browse...", this);
    m_browse->setObjectName("Browse");
    m_status = new QLabel("N/A", this);
    m_status->setObjectName("UpgradeStatus");
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("UpgradeProgress");
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_start = new QPushButton("S&tart", this);
    m_start->setObjectName("Start");

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);
    auto* fileLabel = new QLabel("&Select upgrade file:", this);
    fileLabel->setBuddy(m_file);
    grid->addWidget(fileLabel, 0, 0, 1, 2);
    grid->addWidget(m_file, 1, 0);
    grid->addWidget(m_browse, 1, 1);
    auto* statusRow = new QHBoxLayout;
    statusRow->setSpacing(12);
    statusRow->addWidget(new QLabel("Upgrade progress:", this));
    statusRow->addWidget(m_status, 1);
    grid->addLayout(statusRow, 2, 0, 1, 2);
    grid->addWidget(m_progress, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addStretch();
    buttons->addWidget(MakeHelpButton());
    layout->addLayout(buttons);
    setMinimumSize(kPageMinWidth, kPageMinHeight);

    // The file field, "Browse..." and "Start", in this order.
    setTabOrder(m_file, m_browse);
    setTabOrder(m_browse, m_start);

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CUpgradePage::TimerFired);
    connect(m_browse, &QPushButton::clicked, this, &CUpgradePage::BrowseClicked);
    connect(m_start, &QPushButton::clicked, this, &CUpgradePage::StartClicked);
}

void CUpgradePage::BrowseClicked() {
    const QString path = QFileDialog::getOpenFileName(this, QString(), m_texts.initialName, m_texts.filter);
    if (!path.isEmpty()) m_file->setText(QDir::toNativeSeparators(path));
}

void CUpgradePage::StartClicked() {
    ProgramState& p = Program();
    if (!p.receiver || !p.worker || !p.ui || p.lockedPage || p.worker->Busy()) return;
    const QByteArray path = m_file->text().left(kMaxPathChars).toLocal8Bit();
    if (const char* message = CheckFile(path.constData())) {
        p.ui->ShowMessage(message, kDesktopCaption, MessageIcon::None, MessageButtons::Ok);
        return;
    }
    if (!ConfirmUpgradeStart(*p.ui, Applet())) return;

    // From here on the upgrade owns the receiver and the port until the
    // program ends: the sheet stays on this page.
    m_record.Clear();
    m_engineReturned = false;
    std::function<void()> job = PrepareEngine(path);
    p.lockedPage = this;
    m_progress->setRange(0, 100);
    m_timer.start(g_firstPollMs);
    for (QWidget* w : {static_cast<QWidget*>(m_browse), static_cast<QWidget*>(m_start), static_cast<QWidget*>(m_file)})
        w->setEnabled(false);
    p.worker->Run(std::move(job), [this] { m_engineReturned = true; });
}

void CUpgradePage::TimerFired() {
    if (m_finished) return;
    if (!Tick(m_record.Snapshot())) return;
    setFocus(Qt::OtherFocusReason);
    m_timer.start(g_nextPollMs);
}

void CUpgradePage::Finish(const QString& status, const QString& message, const char* caption) {
    m_finished = true;
    m_timer.stop();
    m_status->setText(status);
    const QByteArray text = message.toLatin1();
    Program().ui->ShowMessage(text.constData(), caption, MessageIcon::None, MessageButtons::Ok);
    // The radio is left bridged: the receiver must be restarted.
    EndProgram(Program(), 0);
}

void CUpgradePage::EndUpgrade() {
    m_finished = true;
    m_timer.stop();
    EndProgram(Program(), 0);
}

QString CUpgradePage::EarlyEndMessage(const QString& reason) {
    QString message = QString::fromLatin1(kFailureText);
    if (!reason.isEmpty()) message += "\r\n\r\n" + reason;
    return message;
}

// ---------------------------------------------------------------- UHF Upgrade

CUHFUpgradePropertyPage::CUHFUpgradePropertyPage(ProgramState& program, QWidget* parent)
    : CUpgradePage(program, "UHF Upgrade", 4,
                   {{"This feature may be used to upload new software onto your receiver's internal UHF radio."},
                    "UHF Upgrade File(*.sfo)",
                    "*.sfo"},
                   parent) {}

CUHFUpgradePropertyPage::~CUHFUpgradePropertyPage() = default;

const char* CUHFUpgradePropertyPage::CheckFile(const char* path) { return CheckUhfUpgradeFile(path); }

std::function<void()> CUHFUpgradePropertyPage::PrepareEngine(const QByteArray& path) {
    ProgramState& p = Program();
    m_engine = std::make_unique<UhfUpgradeEngine>(*p.receiver, m_record, p.upgradeDevice, p.clock, p.trace);
    UhfUpgradeEngine* engine = m_engine.get();
    return [engine, path] { engine->StartUhfUpgrade(path.constData()); };
}

bool CUHFUpgradePropertyPage::Tick(const UpgradeProgressRecord& record) {
    Progress()->setValue(record.percent);
    if (record.state == kUpgradeDone) {
        if (record.failed) Finish(kNotSuccessful, kFailureText, "Failure");
        else Finish("Finished. Successful.", kSuccessText, "Success");
        return false;
    }
    if (record.engineEnded) {
        // Ended before its last step (file, loader, port): no state 3 will come.
        Finish(kNotSuccessful, EarlyEndMessage(QString::fromLatin1(m_engine->FailureReason())), "Failure");
        return false;
    }
    static const char* const kStateTexts[] = {"Erasing sectors.", "Finished Erase.", "Programming Sectors."};
    if (record.state >= 0 && record.state < 3) Status()->setText(kStateTexts[record.state]);
    return true;
}

// ---------------------------------------------------------------- GSM Upgrade

CGSMUpgradePage::CGSMUpgradePage(ProgramState& program, QWidget* parent)
    : CUpgradePage(program, "GSM Upgrade", 7,
                   {{"This feature may be used to upload new applet software onto your receiver's internal GSM",
                     "radio."},
                    "GSM Upgrade File(*.jar)",
                    "*.jar"},
                   parent) {}

CGSMUpgradePage::~CGSMUpgradePage() = default;

const char* CGSMUpgradePage::CheckFile(const char* path) {
    const char* message = nullptr;
    if (GsmUpgradeEngine::CheckAppletFile(path, Program().record.peripheral.gsm.moduleKind, &message)) return nullptr;
    return message;
}

std::function<void()> CGSMUpgradePage::PrepareEngine(const QByteArray& path) {
    ProgramState& p = Program();
    m_engine = std::make_unique<GsmUpgradeEngine>(*p.receiver, m_record, *p.ui, p.upgradeDevice, p.clock, p.trace);
    // The engine has shown its result message; the program closes on this
    // thread with the last status on the page.
    m_engine->SetCloseRequest([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                const UpgradeProgressRecord record = m_record.Snapshot();
                Progress()->setValue(record.percent);
                Status()->setText(QString::fromLatin1(record.statusText));
                EndUpgrade();
            },
            Qt::QueuedConnection);
    });
    GsmUpgradeEngine* engine = m_engine.get();
    return [engine, path] { engine->StartGsmUpgrade(path.constData()); };
}

bool CGSMUpgradePage::Tick(const UpgradeProgressRecord& record) {
    // The close request comes before the engine returns: an engine that has
    // returned without one stopped early (file, bridge, port, resends).
    if (record.engineEnded && EngineReturned() && !m_engine->CloseRequested()) {
        Finish(kNotSuccessful, EarlyEndMessage(QString::fromLatin1(m_engine->FailureReason())), "Failure");
        return false;
    }
    Progress()->setValue(record.percent);
    Status()->setText(QString::fromLatin1(record.statusText));
    return true;
}
