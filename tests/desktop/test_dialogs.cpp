// The serial-number, enclosure and radio-not-found dialogs, and the help
// window, driven as the operator drives them.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "gui/Dialogs.h"
#include "desktop/HelpTopics.h"
#include "gui/Help.h"
#include "gui/QtOperator.h"

namespace {

// Types into an edit as the operator would (each key a text change); text
// beyond ASCII arrives as one input.
void Type(QLineEdit* edit, const QString& text) {
    edit->clear();
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 128;
    if (ascii) QTest::keyClicks(edit, text);
    else edit->insert(text);
    QCOMPARE(edit->text(), text);
}

QWidget* HelpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "QVRHelpWindow") return w;
    return nullptr;
}

int HelpWindowCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += w->objectName() == "QVRHelpWindow";
    return n;
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetHelpBook(DesktopHelpBook()); }

    void changeSerialLooks() {
        CChangeSerialDialog dialog("QV410002317");
        QCOMPARE(dialog.windowTitle(), QString("Change serial number."));
        QVERIFY(!dialog.SubmitButton()->isEnabled());
        QCOMPARE(dialog.SubmitButton()->text(), QString("Submit"));
        QStringList labels;
        for (QLabel* l : dialog.findChildren<QLabel*>()) labels << l->text();
        QVERIFY(labels.contains("Old serial number:"));
        QVERIFY(labels.contains("New serial number:"));
        QVERIFY(labels.contains("QV410002317"));
    }

    void changeSerialRule_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("result");
        QTest::newRow("lower case") << "abc12345678" << true << "ABC12345678";
        QTest::newRow("mixed case") << "qVr00000001" << true << "QVR00000001";
        QTest::newRow("upper case") << "XYZ00000000" << true << "XYZ00000000";
        QTest::newRow("digit among the letters") << "AB312345678" << false << "";
        QTest::newRow("10 characters") << "ABC1234567" << false << "";
        QTest::newRow("12 characters") << "ABC123456789" << false << "";
        QTest::newRow("letter among the digits") << "ABC1234567a" << false << "";
        QTest::newRow("blank") << "ABC 1234567" << false << "";
        QTest::newRow("letter beyond a-z") << QString::fromUtf8("\xc3\xa4" "BC12345678") << false << "";
        QTest::newRow("empty") << "" << false << "";
    }
    void changeSerialRule() {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        QFETCH(QString, result);
        CChangeSerialDialog dialog("QV410002317");
        dialog.show();
        Type(dialog.Edit(), typed);
        QCOMPARE(dialog.SubmitButton()->isEnabled(), enabled);
        // Enter submits only an acceptable number.
        QTest::keyClick(dialog.Edit(), Qt::Key_Return);
        QCOMPARE(dialog.result() == QDialog::Accepted, enabled);
        if (enabled) {
            QCOMPARE(dialog.NewSerial(), result);
            QCOMPARE(dialog.Edit()->text(), typed);  // the edit keeps what was typed
        }
    }

    void changeSerialRuleFollowsEveryChange() {
        CChangeSerialDialog dialog("");
        dialog.show();
        Type(dialog.Edit(), "abc1234567");
        QVERIFY(!dialog.SubmitButton()->isEnabled());
        QTest::keyClick(dialog.Edit(), Qt::Key_8);
        QVERIFY(dialog.SubmitButton()->isEnabled());
        QTest::keyClick(dialog.Edit(), Qt::Key_9);
        QVERIFY(!dialog.SubmitButton()->isEnabled());
        QTest::keyClick(dialog.Edit(), Qt::Key_Backspace);
        QVERIFY(dialog.SubmitButton()->isEnabled());
        QTest::mouseClick(dialog.SubmitButton(), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.NewSerial(), QString("ABC12345678"));
    }

    void enclosureLooks() {
        CEnclosureNumberDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("QVR Family Config Tool."));
        QStringList lines;
        for (QLabel* l : dialog.findChildren<QLabel*>()) lines << l->text();
        QCOMPARE(lines, (QStringList{"The serial number for this receiver is missing or invalid.  ",
                                     "Please enter the serial number seen on the", "QVR4100 MA enclosure:"}));
        QVERIFY(!dialog.OkButton()->isEnabled());
        QCOMPARE(dialog.OkButton()->text(), QString("OK"));
    }

    void enclosureRule_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("serial number") << "QV410002317" << true;
        QTest::newRow("lower case kept") << "qv410002317" << true;
        QTest::newRow("11 blanks") << "           " << true;
        QTest::newRow("anything") << "!?-./ab 12#" << true;
        QTest::newRow("10 characters") << "QV41000231" << false;
        QTest::newRow("12 characters") << "QV4100023170" << false;
        QTest::newRow("empty") << "" << false;
    }
    void enclosureRule() {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        CEnclosureNumberDialog dialog;
        dialog.show();
        Type(dialog.Edit(), typed);
        QCOMPARE(dialog.OkButton()->isEnabled(), enabled);
        QTest::keyClick(dialog.Edit(), Qt::Key_Return);
        QCOMPARE(dialog.result() == QDialog::Accepted, enabled);
        QCOMPARE(dialog.EnteredText(), enabled ? typed : QString());
    }

    void radioNotFoundCheckBox_data() {
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("checked");
        QTest::newRow("left alone") << 0 << false;
        QTest::newRow("checked") << 1 << true;
        QTest::newRow("checked and unchecked") << 2 << false;
        QTest::newRow("three clicks") << 3 << true;
    }
    void radioNotFoundCheckBox() {
        QFETCH(int, clicks);
        QFETCH(bool, checked);
        CRadioNotFoundDialog dialog;
        QCOMPARE(dialog.windowTitle(), QString("QVR Family Config Tool"));
        const QString message = "The current receiver configuration indicates that a UHF radio is installed, but one "
                                "was not detected.\n\nThis typically occurs when:\n\n1) The radio is receiving UHF "
                                "transmissions from another source and will not respond to commands, or \n2) The "
                                "radio is inoperative or has been removed.";
        const QString box = "Update configuration: A UHF radio has been removed from this receiver.";
        dialog.SetTexts(message, box);
        dialog.show();
        QCOMPARE(dialog.findChild<QLabel*>("Message")->text(), message);
        QCOMPARE(dialog.CheckBox()->text(), box);
        for (int i = 0; i < clicks; ++i) QTest::mouseClick(dialog.CheckBox(), Qt::LeftButton);
        auto* ok = dialog.findChild<QPushButton*>("OK");
        QVERIFY(ok && ok->isDefault());
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Checked(), checked);
    }

    void radioNotFoundKeepsItsLimits() {
        CRadioNotFoundDialog dialog;
        dialog.SetTexts(QString(3000, 'm'), QString(600, 'c'));
        QCOMPARE(dialog.findChild<QLabel*>("Message")->text().size(), 2047);
        QCOMPARE(dialog.CheckBox()->text().size(), 511);
    }

    // The operator adapter shows the enclosure dialog and hands on what was typed.
    void enclosurePromptThroughTheOperator_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("answered");
        QTest::newRow("OK") << true << true;
        QTest::newRow("Cancel") << false << false;
    }
    void enclosurePromptThroughTheOperator() {
        QFETCH(bool, accept);
        QFETCH(bool, answered);
        QtOperator ui;
        QTimer::singleShot(0, [accept] {
            auto* dialog = qobject_cast<CEnclosureNumberDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::keyClicks(dialog->Edit(), "qv410002317");
            if (accept) QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
            else dialog->reject();
        });
        char serial[128] = "unchanged";
        QCOMPARE(ui.AskEnclosureSerial(serial, sizeof serial), answered);
        if (answered) QCOMPARE(QString(serial), QString("qv410002317"));
    }

    void helpWindowShowsEachTopic() {
        const QStringList titles = {"Connection",   "Receiver Settings", "UHF Settings", "UHF Upgrade",
                                    "GSM Settings", "GSM Bearer",        "GSM Upgrade",  "MRS"};
        for (int topic = 1; topic <= 8; ++topic) {
            ShowHelpTopic(topic);
            QCOMPARE(LastHelpTopic(), topic);
            QWidget* window = HelpWindow();
            QVERIFY(window && window->isVisible());
            QVERIFY(window->windowTitle().endsWith(titles[topic - 1]));
            auto* text = window->findChild<QTextBrowser*>("Topic");
            QVERIFY(text->toPlainText().startsWith(titles[topic - 1]));
            // Written for the operator: a few hundred words each.
            const qsizetype words = text->toPlainText().split(QRegularExpression("\\s+"), Qt::SkipEmptyParts).size();
            QVERIFY2(words >= 150 && words <= 400, qPrintable(QString("%1 words").arg(words)));
            QCOMPARE(window->findChild<QListWidget*>("Contents")->currentRow(), topic - 1);
        }
        QCOMPARE(HelpWindowCount(), 1);  // one window, reused
    }

    void helpOutsideTheTopicsOpensNothing() {
        ShowHelpTopic(5);
        for (int topic : {0, 9, -1, 100}) {
            ShowHelpTopic(topic);
            QCOMPARE(LastHelpTopic(), 5);
        }
        QVERIFY(HelpWindow()->windowTitle().endsWith("GSM Settings"));
    }

    void helpContentsMoveBetweenTopics() {
        ShowHelpTopic(1);
        QWidget* window = HelpWindow();
        auto* contents = window->findChild<QListWidget*>("Contents");
        contents->setCurrentRow(7);
        QCOMPARE(LastHelpTopic(), 8);
        QVERIFY(window->windowTitle().endsWith("MRS"));
        // A link inside a topic leads to another.
        auto* text = window->findChild<QTextBrowser*>("Topic");
        emit text->anchorClicked(QUrl("topic:7"));
        QCOMPARE(LastHelpTopic(), 7);
        QCOMPARE(contents->currentRow(), 6);
    }
};

QTEST_MAIN(DialogsTest)
#include "test_dialogs.moc"
