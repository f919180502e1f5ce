// The Debug File dialog against the simulated receiver's debug file.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "DesktopFixture.h"
#include "gui/DebugFileDialog.h"

using qvr::MessageAnswer;

namespace {

struct DialogFixture : DesktopFixture {
    DialogFixture() : DesktopFixture("uhf") {
        CDebugFileDialog::SetPollInterval(5);
        PressConnect();
        ui.ClearPrompts();
        dialog = new CDebugFileDialog(program, qvr::Variant::Desktop, app->Sheet());
        dialog->show();
    }
    ~DialogFixture() {
        worker.WaitIdle();
        delete dialog.data();
    }
    std::vector<QPushButton*> Buttons() const {
        return {dialog->EnableButton(), dialog->DisableButton(), dialog->BrowseButton(), dialog->GetFileButton(),
                dialog->DeleteButton()};
    }
    bool AllEnabled() const {
        for (QPushButton* b : Buttons())
            if (!b->isEnabled()) return false;
        return true;
    }
    // Clicks Get File and lets the worker and the timer run to the end.
    void GetFile() {
        dialog->GetFileButton()->click();
        worker.WaitIdle();
        QTRY_VERIFY(dialog->State() == CDebugFileDialog::kIdle || dialog->State() == CDebugFileDialog::kStarted);
        QTest::qWait(20);
    }
    QByteArray Expected() const {
        const auto& bytes = unit->debugFile.Content();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    }

    QPointer<CDebugFileDialog> dialog;
    QTemporaryDir dir;
};

} // namespace

class DebugDialogTest : public QObject {
    Q_OBJECT
private slots:
    void ctrlDOpensTheDialog() {
        DesktopFixture f("none");
        f.PressConnect();
        QString status;
        QTimer::singleShot(0, [&status] {
            auto* dialog = qobject_cast<CDebugFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            status = dialog->StatusText()->text();
            dialog->close();
        });
        QTest::keyClick(f.app->Sheet(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(status, QString("It is unknown whether file is enabled or disabled."));
    }

    void recordingSwitchShowsWhatWasAsked() {
        DialogFixture f;
        f.dialog->EnableButton()->click();
        f.worker.WaitIdle();
        QCOMPARE(f.dialog->StatusText()->text(), QString("Debug file is enabled."));
        f.dialog->DisableButton()->click();
        f.worker.WaitIdle();
        QCOMPARE(f.dialog->StatusText()->text(), QString("Debug file is disabled."));
        f.link->AdvanceTo(f.link->Virtual().Now());
        QVERIFY(!f.unit->debugFile.Recording());
    }

    void downloadWritesTheExactFileAndLocksTheButtons() {
        DialogFixture f;
        const QString path = f.dir.filePath("debug.bin");
        f.dialog->Path()->setText(path);
        bool lockedDuringDownload = false;
        f.ui.SetScript([&](QtOperator::Prompt& prompt) {
            prompt.answer = MessageAnswer::Ok;
            if (prompt.text.startsWith("Are you sure you wish to retrieve")) {
                // The timer locks the buttons, Enable and Disable too, while the worker runs.
                QTest::qWait(30);
                lockedDuringDownload = !f.dialog->EnableButton()->isEnabled() &&
                                       !f.dialog->GetFileButton()->isEnabled() &&
                                       !f.dialog->BrowseButton()->isEnabled();
            }
        });
        f.GetFile();
        QVERIFY(lockedDuringDownload);
        QCOMPARE(f.PromptTexts(), (std::vector<QString>{"Are you sure you wish to retrieve the file? It may take a "
                                                        "long time to download.",
                                                        "File Download Successful!"}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), f.Expected());
        QVERIFY(f.AllEnabled());
        QCOMPARE(f.dialog->Progress()->value(), 0);
    }

    void declinedOrNoPathLeavesEverythingEnabled_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("question cancelled") << "debug.bin"
                                            << "Are you sure you wish to retrieve the file? It may take a long time "
                                               "to download.";
        QTest::newRow("empty path") << "" << "Please check file save path, it appears to be empty.";
    }
    void declinedOrNoPathLeavesEverythingEnabled() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        DialogFixture f;
        const QString path = name.isEmpty() ? QString() : f.dir.filePath(name);
        f.dialog->Path()->setText(path);
        f.answers = {MessageAnswer::Cancel};
        f.GetFile();
        QCOMPARE(f.PromptTexts(), std::vector<QString>{message});
        QVERIFY(f.AllEnabled());
        QCOMPARE(f.dialog->Progress()->value(), 0);
        QVERIFY(path.isEmpty() || !QFile::exists(path));
    }

    void closingDuringADownloadLetsItFinish() {
        DialogFixture f;
        const QString path = f.dir.filePath("debug.bin");
        f.dialog->Path()->setText(path);
        f.ui.SetScript([&](QtOperator::Prompt& prompt) {
            prompt.answer = MessageAnswer::Ok;
            // The operator closes the dialog right after saying OK.
            if (prompt.text.startsWith("Are you sure")) QTimer::singleShot(0, [&f] { delete f.dialog.data(); });
        });
        f.dialog->GetFileButton()->click();
        f.worker.WaitIdle();
        QApplication::processEvents();
        QVERIFY(f.dialog.isNull());
        QCOMPARE(f.PromptTexts().back(), QString("File Download Successful!"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), f.Expected());
    }

    void deleteAsksThenReports() {
        DialogFixture f;
        f.answers = {MessageAnswer::Ok};
        f.dialog->DeleteButton()->click();
        f.worker.WaitIdle();
        QCOMPARE(f.PromptTexts(),
                 (std::vector<QString>{"Are you sure you wish to delete the debug file?", "File deleted successfully!"}));
        f.link->AdvanceTo(f.link->Virtual().Now());
        QVERIFY(!f.unit->debugFile.FilePresent());
    }
};

QTEST_MAIN(DebugDialogTest)
#include "test_debug_dialog.moc"
