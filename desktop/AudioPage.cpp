#include "desktop/AudioPage.h"

#include <algorithm>
#include <functional>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "PageActions.h"
#include "Preferences.h"
#include "gui/FormLayout.h"
#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;

namespace {

constexpr int kMaxVolume = 7;

// The language list of the connected receiver and the name of one entry
// ("N/A" for an index the list does not have).
QString LanguageEntryName(const MAReceiver& receiver, int index) {
    qvr::Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    receiver.GetLanguageList(ids, &count);
    return QString::fromLatin1(LanguageListName(ids, count, index));
}

// Lets go of the slider after dragging or clicking it.
class ReleaseFilter : public QObject {
public:
    ReleaseFilter(QObject* parent, std::function<void()> released) : QObject(parent), m_released(std::move(released)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // After the slider has taken the release and its last position.
            QMetaObject::invokeMethod(this, m_released, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_released;
};

} // namespace

CAudioPropertyPage::CAudioPropertyPage(ProgramState& program, QWidget* parent)
    : CQVRPage(program, "Receiver Settings", 2, parent) {
    m_volume = new QSlider(Qt::Horizontal, this);
    m_volume->setObjectName("AudioVolume");
    m_volume->setRange(0, kMaxVolume);
    m_volume->setPageStep(1);
    m_volume->setTickPosition(QSlider::TicksBelow);
    m_volume->setTickInterval(1);
    m_sample = new QComboBox(this);
    m_sample->setObjectName("TestSample");
    m_currentLanguage = new QLabel("N/A", this);
    m_currentLanguage->setObjectName("CurrentLanguage");
    m_currentLanguage->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_language = new QComboBox(this);
    m_language->setObjectName("Language");
    m_powerup = new QComboBox(this);
    m_powerup->setObjectName("FactoryPowerup");
    m_powerup->addItem("NONE");
    m_timer = new QComboBox(this);
    m_timer->setObjectName("TimerLed");
    for (int mode = 0; mode < kTimerModeCount; ++mode)
        m_timer->addItem(QString::fromLatin1(TimerLedChoice(Variant::Desktop, mode)));
    m_timerLabel = new QLabel("Timer LED:", this);
    m_submit = new QPushButton("&Submit", this);
    m_submit->setObjectName("Submit");

    auto* grid = new FormGrid;
    auto addRow = [&](QLabel* label, QWidget* control) { grid->AddRow(label, control); };
    addRow(new QLabel("Audio &volume:", this), m_volume);
    addRow(new QLabel("&Test sample:", this), m_sample);
    addRow(new QLabel("Current language:", this), m_currentLanguage);
    addRow(new QLabel("&Language:", this), m_language);
    addRow(new QLabel("Factory &POWERUP:", this), m_powerup);
    addRow(m_timerLabel, m_timer);

    auto* note = new QLabel("The POWERUP configuration above will be restored anytime a factory reset is performed. ", this);
    note->setObjectName("PowerupNote");
    note->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_submit);
    buttons->addStretch();
    buttons->addWidget(MakeHelpButton());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(note);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumSize(kPageMinWidth, kPageMinHeight);

    // The track bar first, then Test sample, Language and Factory POWERUP.
    setTabOrder(m_volume, m_sample);
    setTabOrder(m_sample, m_language);
    setTabOrder(m_language, m_powerup);

    m_volume->installEventFilter(new ReleaseFilter(this, [this] { SliderReleased(); }));
    connect(m_submit, &QPushButton::clicked, this, &CAudioPropertyPage::SubmitClicked);
}

void CAudioPropertyPage::OnSetActive() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver) return;
    // The receiver object belongs to the running operation until it ends.
    if (p.worker && p.worker->DeferWhileBusy(this, &m_activationPending, [this] { OnSetActive(); })) return;
    const int32_t model = receiver->Info().modelKind;

    // 1. The Timer LED row (not on the "QVR4100 MA") and the number of samples.
    const bool hasTimer = HasTimerLed(model);
    m_timerLabel->setVisible(hasTimer);
    m_timer->setVisible(hasTimer);
    if (hasTimer) m_timer->setCurrentIndex(receiver->GetTimerMode());
    const int samples = TestSampleCount(model);

    // 2. The test samples, in the order of the event table.
    m_sample->clear();
    for (int i = 0; i < samples && i < kPromptEventCount; ++i)
        m_sample->addItem(QString::fromLatin1(kPromptEvents[i].displayName));

    // 3. The languages of the receiver's language file.
    qvr::Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    receiver->GetLanguageList(ids, &count);
    m_language->clear();
    for (int i = 0; i < count; ++i) m_language->addItem(QString::fromLatin1(LanguageName(ids[i])).left(255));

    // 5. to 8. The record's language and volume; the first sample.
    const int languageIndex = p.record.audio.languageIndex;
    m_language->setCurrentIndex(languageIndex < count ? languageIndex : -1);
    m_volume->setRange(0, kMaxVolume);
    m_volume->setValue(p.record.audio.volume);
    m_sample->setCurrentIndex(0);
    m_currentLanguage->setText(QString::fromLatin1(LanguageListName(ids, count, languageIndex)));

    // 9. The POWERUP choices of this receiver, once per connection. The list
    // starts again from "NONE", as the page does for each new connection.
    if (p.connected && !m_powerupFilled) {
        const char* entries[kMaxPowerupEntries];
        const int n = PowerupList(Variant::Desktop, model, receiver->GetUserAppVersionNumber(), entries);
        m_powerup->clear();
        m_powerup->addItem("NONE");
        for (int i = 1; i < n; ++i) m_powerup->addItem(QString::fromLatin1(entries[i]));
        m_powerupFilled = true;
    }
    // 10. The stored choice (none selected when the list does not have it).
    const int powerupIndex = p.record.info.powerupIndex;
    m_powerup->setCurrentIndex(powerupIndex >= 0 && powerupIndex < m_powerup->count() ? powerupIndex : -1);
}

void CAudioPropertyPage::SliderReleased() {
    MAReceiver* receiver = Program().receiver;
    if (!receiver || !m_volume->isEnabled() || !Program().worker) return;
    const int event = m_sample->currentIndex();
    const int level = m_volume->value();
    // A sample the receiver cannot play is not reported.
    Program().worker->RunWithWaitCursor([receiver, event, level] { receiver->PlayAudioPrompt(event, level); });
}

void CAudioPropertyPage::SubmitClicked() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver) return;
    const int32_t model = receiver->Info().modelKind;

    // 1. The values chosen. A list without a selection (the receiver reported
    // an index its list does not have) keeps the receiver's value.
    const int volume = m_volume->value();
    int languageIndex = m_language->currentIndex();
    if (languageIndex < 0) languageIndex = p.record.audio.languageIndex;
    int powerupIndex = m_powerup->currentIndex();
    if (powerupIndex < 0) powerupIndex = p.record.info.powerupIndex;
    const int timerMode = HasTimerLed(model) ? std::max(0, m_timer->currentIndex()) : 0;

    // 2. Locked while the receiver takes the settings.
    for (QWidget* w : {static_cast<QWidget*>(m_submit), static_cast<QWidget*>(m_volume),
                       static_cast<QWidget*>(m_language), static_cast<QWidget*>(m_powerup),
                       static_cast<QWidget*>(m_sample)})
        w->setEnabled(false);
    if (model == kModelQVR4100MAX) m_timer->setEnabled(false);

    // 3. and 4. on the worker: language, volume, POWERUP and timer mode, then
    // the outcome message. The job works on its own copy of the record.
    auto record = std::make_shared<ReceiverData>(p.record);
    auto unlock = [this] {
        for (QWidget* w : {static_cast<QWidget*>(m_submit), static_cast<QWidget*>(m_volume),
                           static_cast<QWidget*>(m_sample), static_cast<QWidget*>(m_language),
                           static_cast<QWidget*>(m_powerup), static_cast<QWidget*>(m_timer)})
            w->setEnabled(true);
    };
    const bool started = p.worker && p.worker->RunWithWaitCursor(
        [receiver, record, languageIndex, volume, powerupIndex, timerMode] {
            SubmitReceiverSettings(*receiver, *record, languageIndex, volume, powerupIndex, timerMode);
        },
        [this, receiver, record, unlock] {
            // 5. The record takes the chosen values either way.
            ProgramState& state = Program();
            state.record.audio.volume = record->audio.volume;
            state.record.audio.languageIndex = record->audio.languageIndex;
            state.record.info.powerupIndex = record->info.powerupIndex;
            m_currentLanguage->setText(LanguageEntryName(*receiver, state.record.audio.languageIndex));
            // 6.
            unlock();
        },
        m_submit);
    if (!started) unlock();
}
