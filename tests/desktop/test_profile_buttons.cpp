// The Connection page's "Save Settings..." and "Apply Settings..." against
// the simulated receiver in virtual time: a profile saved, edited, its
// differences listed, agreed to, applied on the worker and reported.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "DesktopFixture.h"
#include "SimAudio.h"
#include "desktop/ProfileButtons.h"

class TestProfileButtons : public QObject {
    Q_OBJECT
private slots:
    void ShownOnlyWhileConnected();
    void SaveThenApplyAnEditedProfile();
    void RefusedProfileSendsNothing();
};

namespace {

QString g_path;

void ChooseFile(const QString& path) {
    g_path = path;
    profile_buttons::SetFileChooser([](QWidget*, bool) { return g_path; });
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

void TestProfileButtons::ShownOnlyWhileConnected() {
    DesktopFixture f("uhf");
    QCOMPARE(f.Connection()->SaveSettingsButton()->text(), QString("Save Settings..."));
    QCOMPARE(f.Connection()->ApplySettingsButton()->text(), QString("Apply Settings..."));
    QVERIFY(!f.Connection()->SaveSettingsButton()->isVisible());
    f.PressConnect();
    QVERIFY(f.program.connected);
    QVERIFY(f.Connection()->SaveSettingsButton()->isVisible());
    QVERIFY(f.Connection()->ApplySettingsButton()->isVisible());
}

void TestProfileButtons::SaveThenApplyAnEditedProfile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.json");
    ChooseFile(path);
    DesktopFixture f("uhf");
    f.PressConnect();
    f.ui.ClearPrompts();
    f.Connection()->SaveSettingsButton()->click();
    QVERIFY(Read(path).contains("\"volume\": 4"));
    QCOMPARE(f.PromptTexts().back(), QString("The receiver's settings were saved to %1.").arg(path));

    // The same profile again: nothing to do, nothing sent.
    const size_t before = f.link->Record().HostWrites().size();
    f.Connection()->ApplySettingsButton()->click();
    f.worker.WaitIdle();
    QCOMPARE(f.PromptTexts().back(), QString("The receiver already holds every setting of this profile."));
    QCOMPARE(f.link->Record().HostWrites().size(), before);

    // Edited: the difference is listed and asked about first.
    Write(path, Read(path).replace("\"volume\": 4", "\"volume\": 6"));
    f.ui.ClearPrompts();
    f.answers = {qvr::MessageAnswer::No};
    f.Connection()->ApplySettingsButton()->click();
    f.worker.WaitIdle();
    QCOMPARE(f.PromptTexts().size(), size_t(1));
    QVERIFY(f.PromptTexts()[0].contains("receiver.volume: 4 -> 6"));
    QCOMPARE(f.link->Record().HostWrites().size(), before);

    f.ui.ClearPrompts();
    f.answers = {qvr::MessageAnswer::Yes};
    f.Connection()->ApplySettingsButton()->click();
    f.worker.WaitIdle();
    QApplication::processEvents();
    f.link->AdvanceTo(f.link->Virtual().Now());
    QCOMPARE(f.unit->audio.Audio().volume, 6);
    QVERIFY(f.PromptTexts().back().startsWith("1 applied and confirmed, 0 refused, 6 unchanged."));
    QVERIFY(f.PromptTexts().back().contains("receiver.volume: applied and confirmed"));
    QCOMPARE(f.program.record.audio.volume, 6);
    QCOMPARE(f.Connection()->Status()->text(), QString("Connected."));
}

void TestProfileButtons::RefusedProfileSendsNothing() {
    QTemporaryDir dir;
    const QString path = dir.filePath("gsm.json");
    Write(path, R"({"format": "qvr-profile", "version": 1, "gsmBearer": {"bearer": "none"}})");
    ChooseFile(path);
    DesktopFixture f("uhf");
    f.PressConnect();
    f.ui.ClearPrompts();
    const size_t before = f.link->Record().HostWrites().size();
    f.Connection()->ApplySettingsButton()->click();
    f.worker.WaitIdle();
    QVERIFY(f.PromptTexts().back().contains("gsmBearer: this receiver has no GSM module (its radio: UHF)"));
    QCOMPARE(f.link->Record().HostWrites().size(), before);

    Write(path, R"({"format": "qvr-profile", "version": 1, "receiver": {"volume": 9}})");
    f.Connection()->ApplySettingsButton()->click();
    QVERIFY(f.PromptTexts().back().contains("receiver.volume: 9 is out of range (0 to 7)"));
}

QTEST_MAIN(TestProfileButtons)
#include "test_profile_buttons.moc"
