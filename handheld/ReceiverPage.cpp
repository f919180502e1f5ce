#include "handheld/ReceiverPage.h"

#include <algorithm>
#include <array>
#include <memory>

#include <QAbstractButton>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "PageActions.h"
#include "Preferences.h"
#include "gui/FormLayout.h"
#include "gui/ProgramState.h"
#include "gui/ReceiverWorker.h"
#include "gui/Touch.h"

using namespace qvr;

namespace {

constexpr int kMaxVolume = 7;
constexpr int kLanguageNameLength = 255;

// The sample button: a loudspeaker with four pictures, for the normal,
// pressed, focused and disabled states.
class CPictureButton : public QAbstractButton {
public:
    enum Picture { kNormal, kPressed, kFocused, kDisabled, kPictureCount };

    explicit CPictureButton(QWidget* parent) : QAbstractButton(parent) {
        const int side = std::max(TouchSize(parent), fontMetrics().height() * 2);
        setFixedSize(side, side);
        setFocusPolicy(Qt::StrongFocus);
        for (int i = 0; i < kPictureCount; ++i) m_pictures[i] = Draw(static_cast<Picture>(i), side);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        Picture picture = kNormal;
        if (!isEnabled()) picture = kDisabled;
        else if (isDown()) picture = kPressed;
        else if (hasFocus()) picture = kFocused;
        QPainter(this).drawPixmap(0, 0, m_pictures[picture]);
    }

private:
    static QPixmap Draw(Picture picture, int side) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF face(0.5, 0.5, side - 1.0, side - 1.0);
        const bool pressed = picture == kPressed;
        painter.setPen(QPen(pressed ? QColor(60, 60, 60) : QColor(130, 130, 130), 1));
        painter.setBrush(pressed ? QColor(200, 200, 200) : QColor(236, 236, 236));
        painter.drawRoundedRect(face, 3, 3);
        if (picture == kFocused) {
            painter.setPen(QPen(QColor(0, 90, 200), 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(face.adjusted(2, 2, -2, -2), 2, 2);
        }
        // The loudspeaker and its sound waves, a pixel lower when pressed.
        const QColor ink = picture == kDisabled ? QColor(170, 170, 170) : QColor(30, 30, 30);
        const double u = side / 24.0;
        painter.translate(pressed ? 1 : 0, pressed ? 1 : 0);
        QPainterPath speaker;
        speaker.moveTo(5 * u, 9.5 * u);
        speaker.lineTo(8.5 * u, 9.5 * u);
        speaker.lineTo(13 * u, 5.5 * u);
        speaker.lineTo(13 * u, 18.5 * u);
        speaker.lineTo(8.5 * u, 14.5 * u);
        speaker.lineTo(5 * u, 14.5 * u);
        speaker.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPath(speaker);
        painter.setPen(QPen(ink, std::max(1.0, 1.4 * u), Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        for (double r : {3.5, 6.5})
            painter.drawArc(QRectF((13 - r) * u, (12 - r) * u, 2 * r * u, 2 * r * u), -45 * 16, 90 * 16);
        return pixmap;
    }

    std::array<QPixmap, kPictureCount> m_pictures;
};

// Narrow screens: a list narrower than its longest entry shows the chosen
// entry on two lines.
QComboBox* MakeList(const char* name, QWidget* parent) {
    auto* list = new WrappingComboBox(parent);
    list->setObjectName(name);
    return list;
}

} // namespace

CRecieverPropertyPage::CRecieverPropertyPage(ProgramState& program, QWidget* parent)
    : CHandheldPage(program, "Receiver", "#Receiver_Settings_tab", parent) {
    QWidget* content = ScrollingContent(this);
    m_volume = new QSlider(Qt::Horizontal, content);
    m_volume->setObjectName("Volume");
    m_volume->setRange(0, kMaxVolume);
    m_volume->setPageStep(1);
    m_volume->setTickPosition(QSlider::TicksBelow);
    m_volume->setTickInterval(1);
    m_volume->setMinimumWidth(80);
    m_sample = new CPictureButton(content);
    m_sample->setObjectName("SampleButton");
    m_sample->setToolTip("Play a sample prompt at this volume");
    m_language = MakeList("Language", content);
    m_powerup = MakeList("FactoryPowerup", content);
    m_timer = MakeList("TimerLed", content);
    m_timerLabel = new QLabel("Timer LED:", content);
    m_timerLabel->setObjectName("TimerLedLabel");
    m_timerLabel->setBuddy(m_timer);
    m_submit = new QPushButton("&Submit", content);
    m_submit->setObjectName("Submit");

    auto label = [content](const char* text, QWidget* buddy) {
        auto* l = new QLabel(text, content);
        l->setBuddy(buddy);
        return l;
    };
    auto* volumeRow = new QHBoxLayout;
    volumeRow->setSpacing(6);
    volumeRow->addWidget(m_volume, 1);
    volumeRow->addWidget(m_sample);
    auto* form = new CompactForm;
    form->addRow(label("&Volume:", m_volume), volumeRow);
    form->addRow(label("&Language:", m_language), m_language);
    form->addRow(label("Factory &POWERUP:", m_powerup), m_powerup);
    form->addRow(m_timerLabel, m_timer);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_submit);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(m_sample, &QAbstractButton::clicked, this, &CRecieverPropertyPage::SampleClicked);
    connect(m_submit, &QPushButton::clicked, this, &CRecieverPropertyPage::SubmitClicked);
}

void CRecieverPropertyPage::OnSetActive() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver) return;
    // The receiver object belongs to the running operation until it ends.
    if (p.worker && p.worker->DeferWhileBusy(this, &m_activationPending, [this] { OnSetActive(); })) return;
    const int32_t model = receiver->Info().modelKind;

    // 1. The receiver's language list.
    qvr::Language ids[MAReceiver::kMaxLanguages];
    int count = 0;
    receiver->GetLanguageList(ids, &count);

    // 2. The Timer LED row: none on the "QVR4100 MA".
    const bool hasTimer = HasTimerLed(model);
    m_timerLabel->setVisible(hasTimer);
    m_timer->setVisible(hasTimer);
    if (hasTimer) {
        m_timer->clear();
        for (int mode = 0; mode < kTimerModeCount; ++mode)
            m_timer->addItem(QString::fromLatin1(TimerLedChoice(Variant::Handheld, mode)));
        m_timer->setCurrentIndex(receiver->GetTimerMode());
    }

    // 3. The languages, and the record's (none selected for an index the
    // list does not have).
    m_language->clear();
    for (int i = 0; i < count; ++i)
        m_language->addItem(QString::fromLatin1(LanguageName(ids[i])).left(kLanguageNameLength));
    const int languageIndex = p.record.audio.languageIndex;
    m_language->setCurrentIndex(languageIndex < count ? languageIndex : -1);

    // 4. The volume.
    m_volume->setRange(0, kMaxVolume);
    m_volume->setValue(p.record.audio.volume);

    // 5. and 6. The POWERUP choices of this receiver, rebuilt at every
    // activation, and the stored choice.
    const char* entries[kMaxPowerupEntries];
    const int n = PowerupList(Variant::Handheld, model, receiver->GetUserAppVersionNumber(), entries);
    m_powerup->clear();
    for (int i = 0; i < n; ++i) m_powerup->addItem(QString::fromLatin1(entries[i]));
    const int powerupIndex = p.record.info.powerupIndex;
    m_powerup->setCurrentIndex(powerupIndex >= 0 && powerupIndex < n ? powerupIndex : -1);
}

void CRecieverPropertyPage::SampleClicked() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker) return;
    const int level = m_volume->value();
    // "btnignore" at the track bar's level; a sample the receiver cannot
    // play is not reported.
    RunPageJob(p, this, true, [receiver, level] { receiver->PlayAudioPrompt(kHandheldSampleEvent, level); }, [] {});
}

void CRecieverPropertyPage::SetLocked(bool locked) {
    for (QWidget* w : std::initializer_list<QWidget*>{m_submit, m_volume, m_sample, m_language, m_powerup, m_timer})
        w->setEnabled(!locked);
}

void CRecieverPropertyPage::SubmitClicked() {
    ProgramState& p = Program();
    MAReceiver* receiver = p.receiver;
    if (!receiver || !p.worker || p.worker->Busy()) return;
    const int32_t model = receiver->Info().modelKind;

    // 1. The values chosen. A list without a selection (the receiver reported
    // an index its list does not have) keeps the receiver's value.
    const int volume = m_volume->value();
    int languageIndex = m_language->currentIndex();
    if (languageIndex < 0) languageIndex = p.record.audio.languageIndex;
    int powerupIndex = m_powerup->currentIndex();
    if (powerupIndex < 0) powerupIndex = p.record.info.powerupIndex;
    const int timerMode = HasTimerLed(model) ? std::max(0, m_timer->currentIndex()) : 0;

    // 2. Locked, and repainted so at once, while the receiver takes the
    // settings.
    SetLocked(true);
    repaint();

    // 3. to 5. on the worker: language, volume, POWERUP and timer mode, and
    // the messages. The job works on its own copy of the record.
    auto record = std::make_shared<ReceiverData>(p.record);
    const bool started = RunPageJob(
        p, this, true,
        [receiver, record, languageIndex, volume, powerupIndex, timerMode] {
            SubmitReceiverSettings(*receiver, *record, languageIndex, volume, powerupIndex, timerMode);
        },
        [this, record] {
            // 6. The record takes the chosen values either way.
            ProgramState& state = Program();
            state.record.audio.volume = record->audio.volume;
            state.record.audio.languageIndex = record->audio.languageIndex;
            state.record.info.powerupIndex = record->info.powerupIndex;
            SetLocked(false);
        });
    if (!started) SetLocked(false);
}
