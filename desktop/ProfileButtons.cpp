#include "desktop/ProfileButtons.h"

#include <memory>

#include <QFileDialog>

#include "Operator.h"
#include "Profile.h"
#include "gui/ProgramState.h"
#include "gui/QtOperator.h"
#include "gui/ReceiverWorker.h"

using namespace qvr;
using namespace qvr::profile;

namespace profile_buttons {

using Profile = qvr::profile::Profile;

namespace {

constexpr const char* kCaption = "QVR Family Config Tool";
constexpr const char* kFilter = "Profiles (*.json);;All files (*)";

FileChooser& Chooser() {
    static FileChooser chooser = [](QWidget* parent, bool save) {
        return save ? QFileDialog::getSaveFileName(parent, "Save Settings", "receiver.json", kFilter)
                    : QFileDialog::getOpenFileName(parent, "Apply Settings", QString(), kFilter);
    };
    return chooser;
}

MessageAnswer Say(ProgramState& p, const QString& text, MessageIcon icon, MessageButtons buttons = MessageButtons::Ok) {
    return p.ui->ShowMessage(text.toUtf8().constData(), kCaption, icon, buttons);
}

// The phases of the apply as the page's status text.
class StatusProgress : public IApplyProgress {
public:
    explicit StatusProgress(QtOperator& ui) : m_ui(ui) {}
    void Phase(const char* text) override { m_ui.SetStatusText(text); }

private:
    QtOperator& m_ui;
};

bool Ready(ProgramState& p) {
    return p.connected && p.receiver && p.ui && p.worker && !p.worker->Busy() && !p.lockedPage;
}

} // namespace

void SetFileChooser(FileChooser chooser) { Chooser() = std::move(chooser); }

void SaveSettings(ProgramState& p, QWidget* page) {
    if (!Ready(p)) return;
    const QString path = Chooser()(page, true);
    if (path.isEmpty()) return;
    // What the pages hold is the receiver's as read at connect and changed
    // by their Submits since: nothing needs to be sent.
    Profile profile = ReadProfile(*p.receiver, p.record, true);
    if (profile.HasSecrets() &&
        Say(p, "Save the GSM passwords in the file too? Anyone who can read the file can then read them.",
            MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
        profile.DropSecrets();
    std::string error;
    if (!SaveFile(path.toStdString(), profile, &error)) {
        Say(p, QString("The settings could not be saved to %1: %2").arg(path, QString::fromStdString(error)),
            MessageIcon::Error);
        return;
    }
    Say(p, QString("The receiver's settings were saved to %1.").arg(path), MessageIcon::Information);
}

void ApplySettings(ProgramState& p, QWidget* page, QLabel* status) {
    if (!Ready(p)) return;
    const QString path = Chooser()(page, false);
    if (path.isEmpty()) return;
    auto wanted = std::make_shared<Profile>();
    std::string error;
    if (!LoadFile(path.toStdString(), wanted.get(), &error)) {
        Say(p, QString("The profile %1 cannot be used: %2").arg(path, QString::fromStdString(error)),
            MessageIcon::Error);
        return;
    }
    const std::vector<std::string> problems = CompatibilityProblems(*wanted, *p.receiver, p.record);
    if (!problems.empty()) {
        QString text = "The profile does not fit this receiver; nothing was sent:\n";
        for (const std::string& problem : problems) text += "\n" + QString::fromStdString(problem);
        Say(p, text, MessageIcon::Error);
        return;
    }
    const std::vector<Difference> differences = Compare(*wanted, ReadProfile(*p.receiver, p.record, true));
    if (!AnyDifference(differences)) {
        Say(p, "The receiver already holds every setting of this profile.", MessageIcon::Information);
        return;
    }
    QString list = "These settings will change:\n";
    for (const Difference& d : differences)
        if (d.differs)
            list += QString("\n%1: %2 -> %3")
                        .arg(QString::fromStdString(SettingName(d.setting)), QString::fromStdString(d.held),
                             QString::fromStdString(d.wanted));
    list += "\n\nApply them now?";
    if (Say(p, list, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) return;

    p.ui->SetStatusLabel(status);
    auto report = std::make_shared<ApplyReport>();
    ProgramState* program = &p;
    RunPageJob(
        p, page, true,
        [program, wanted, report] {
            StatusProgress progress(*program->ui);
            *report = Apply(*program->receiver, program->record, *wanted, &progress);
            program->ui->SetStatusText("Connected.");
        },
        [program, report] {
            QString text = QString("%1 applied and confirmed, %2 refused, %3 unchanged.\n")
                               .arg(report->Count(Outcome::Applied))
                               .arg(report->Count(Outcome::Refused))
                               .arg(report->Count(Outcome::Unchanged));
            for (const SettingResult& r : report->results) {
                if (r.outcome == Outcome::Unchanged) continue;
                text += QString("\n%1: %2").arg(QString::fromStdString(SettingName(r.setting)), OutcomeText(r.outcome));
                if (!r.reason.empty()) text += ": " + QString::fromStdString(r.reason);
            }
            Say(*program, text, report->Succeeded() ? MessageIcon::Information : MessageIcon::Error);
        });
}

} // namespace profile_buttons
