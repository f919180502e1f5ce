// Every window of the handheld program on the screen it runs on (the
// offscreen platform's screen is set per run: 240 x 320 and 480 x 640):
// each top-level window lies inside the screen, each of its buttons is
// visible and at least a touch target high, the tabs read whole without
// scroll arrows, and the help opens at the tab's section on the first press.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>

#include <QAbstractTextDocumentLayout>

#include "HandheldFixture.h"
#include "gui/DebugFileDialog.h"
#include "gui/FileChooser.h"
#include "gui/Help.h"
#include "gui/Touch.h"
#include "handheld/MrsPage.h"
#include "handheld/Pages.h"
#include "handheld/RadioPage.h"
#include "handheld/ReceiverPage.h"
#include "handheld/TabStrip.h"

namespace {

// 7 mm on the least dense screen there is (96 dots per inch): no touch
// size may be smaller, whatever the screen says.
constexpr int kFloor = 26;

QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// A window lies inside the screen; its buttons, lists, fields and check
// boxes are shown whole (inside a page that scrolls: whole across) and at
// least a touch target high.
void CheckWindow(QWidget* window, const QString& what) {
    Settle();
    const QRect screen = Screen();
    QVERIFY2(window->isVisible(), qPrintable(what));
    if (qEnvironmentVariableIsSet("FIT_DEBUG"))
        for (QWidget* w : window->findChildren<QWidget*>())
            qInfo("%s %s %s min %d hint %d w %d", qPrintable(what.left(20)), w->metaObject()->className(), qPrintable(w->objectName()),
                  w->minimumSizeHint().width(), w->sizeHint().width(), w->width());
    QVERIFY2(screen.contains(window->frameGeometry()),
             qPrintable(QString("%1: %2,%3 %4x%5 outside the screen %6x%7")
                            .arg(what)
                            .arg(window->frameGeometry().x())
                            .arg(window->frameGeometry().y())
                            .arg(window->frameGeometry().width())
                            .arg(window->frameGeometry().height())
                            .arg(screen.width())
                            .arg(screen.height())));
    const int touch = std::max(kFloor, TouchSize(window));
    QList<QWidget*> controls;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) controls << b;
    for (QComboBox* c : window->findChildren<QComboBox*>()) controls << c;
    for (QLineEdit* e : window->findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(e->parentWidget())) controls << e;
    int checked = 0;
    for (QWidget* c : controls) {
        if (!c->isVisibleTo(window) || c->window() != window) continue;
        if (qobject_cast<QTabBar*>(c->parentWidget())) continue;  // the hidden bar's scroll arrows
        ++checked;
        const QString name = QString("%1: %2 \"%3\"").arg(what, c->metaObject()->className(), c->objectName());
        QVERIFY2(c->height() >= touch, qPrintable(QString("%1 is %2 high, touch %3").arg(name).arg(c->height()).arg(touch)));
        const QRect inWindow(c->mapTo(window, QPoint(0, 0)), c->size());
        QScrollArea* scroll = nullptr;
        for (QWidget* p = c->parentWidget(); p && p != window; p = p->parentWidget())
            if (auto* s = qobject_cast<QScrollArea*>(p)) scroll = s;
        if (scroll) {
            // Reached by scrolling down, never cut at the side.
            const QRect inView(c->mapTo(scroll->viewport(), QPoint(0, 0)), c->size());
            QVERIFY2(inView.left() >= 0 && inView.right() < scroll->viewport()->width(),
                     qPrintable(name + " is cut at the side"));
        } else {
            QVERIFY2(window->rect().contains(inWindow), qPrintable(name + " is outside its window"));
        }
    }
    QVERIFY2(checked > 0, qPrintable(what + ": no controls"));
}

// Shows every prompt in the window the program shows it in, checks it and
// answers it.
struct Checker {
    HandheldFixture& f;
    QStringList seen;
    void Install() {
        f.ui.SetScript([this](QtOperator::Prompt& prompt) {
            std::unique_ptr<QDialog> dialog(f.ui.CreateDialog(prompt, nullptr));
            dialog->show();
            CheckWindow(dialog.get(), prompt.caption + ": " + prompt.text.left(40));
            seen << prompt.text.left(40);
            if (qEnvironmentVariableIsSet("FIT_DEBUG")) qInfo("prompt %s", qPrintable(prompt.text));
            prompt.answer = prompt.buttons == qvr::MessageButtons::YesNo ? qvr::MessageAnswer::Yes
                                                                          : qvr::MessageAnswer::Ok;
            if (prompt.kind == QtOperator::Prompt::Kind::EnclosureSerial) prompt.entered = "QV410002317";
        });
    }
};

// The y of an anchor in the help text and the text's scroll position.
int AnchorTop(QTextBrowser* text, const QString& name) {
    QTextDocument* document = text->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.charFormat().anchorNames().contains(name))
            return int(document->documentLayout()->blockBoundingRect(block).top());
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().anchorNames().contains(name))
                return int(document->documentLayout()->blockBoundingRect(block).top());
    }
    return -1;
}

} // namespace

class HandheldFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        InstallTouchStyle();
        const QSize size = Screen().size();
        qInfo("screen %dx%d, touch size %d", size.width(), size.height(), TouchSize());
    }

    void touchSizeFollowsTheScreen() {
        // 7 mm: 32 pixels on a 3.5-inch 240 x 320 screen, twice as many on
        // one of 480 x 640 of the same size; never below 7 mm at 96 dpi.
        const int touch = TouchSize();
        QVERIFY(touch >= kFloor);
        if (Screen().width() <= 240) QVERIFY2(touch >= 30 && touch <= 34, qPrintable(QString::number(touch)));
        if (Screen().width() >= 480 && Screen().width() <= 480) QVERIFY2(touch >= 60, qPrintable(QString::number(touch)));
    }

    void everyWindowFits() {
        HandheldFixture f("gsm");
        f.ui.SetHandheld(true);
        Checker checker{f, {}};
        checker.Install();
        // A full-screen sheet, as main() shows it.
        CQVRPropertySheet* sheet = f.app->Sheet();
        sheet->setGeometry(Screen());
        sheet->showMaximized();
        CheckWindow(sheet, "sheet, not connected");

        // No receiver on the port: the connect-failure box.
        f.link->FailOpen("COM2", 5);
        f.Connection()->Ports()->setCurrentText("COM2");
        f.PressConnect();
        f.Connection()->Ports()->setCurrentText("SIM1");
        // Connected with an old firmware: the out-of-date box.
        for (auto& c : f.unit->receiver.Components())
            if (c.type == qvr::sim::component::GpsCard) c.texts[3] = "3.100";
        f.PressConnect();
        QVERIFY(f.program.connected);
        QCOMPARE(sheet->PageCount(), 5);
        // All five tabs read whole, without scroll arrows.
        TabStrip* strip = sheet->Strip();
        QCOMPARE(strip->TabButtons().size(), 5);
        for (QToolButton* tab : strip->TabButtons())
            QVERIFY2(tab->isVisible() && tab->width() >= tab->sizeHint().width(),
                     qPrintable(tab->text() + " is cut"));
        QVERIFY(!sheet->Tabs()->tabBar()->isVisible());
        for (int i = 0; i < sheet->PageCount(); ++i) {
            strip->TabButtons()[i]->click();
            QCOMPARE(sheet->Tabs()->currentIndex(), i);
            CheckWindow(sheet, "sheet, tab " + sheet->PageAt(i)->Caption());
        }
        // The Receiver page's factory-reset notice and result; the MRS
        // page's cost question and result.
        CRecieverPropertyPage* receiver = f.app->ReceiverPage();
        sheet->SetActivePage(receiver);
        receiver->Powerup()->setCurrentIndex(receiver->Powerup()->count() - 1);
        receiver->Submit()->click();
        f.worker.WaitIdle();
        Settle();
        CNtripSourcePropertyPage* mrs = f.app->MrsPage();
        sheet->SetActivePage(mrs);
        mrs->Submit()->click();
        f.worker.WaitIdle();
        Settle();

        // The Debug File dialog, its file chooser, and its messages.
        CDebugFileDialog::SetPollInterval(1);
        {
            CDebugFileDialog dialog(f.program, qvr::Variant::Handheld, sheet);
            dialog.show();
            CheckWindow(&dialog, "Debug File");
            QTemporaryDir dir;
            QDir(dir.path()).mkdir("logs");
            CompactFileChooser chooser("Debug File", dir.filePath("DebugFile.bin"), &dialog);
            chooser.show();
            CheckWindow(&chooser, "file chooser");
            QCOMPARE(chooser.Name()->text(), QString("DebugFile.bin"));
            QCOMPARE(chooser.Entries()->count(), 1);
            // One tap opens a folder.
            QListWidget* entries = chooser.Entries();
            QTest::mouseClick(entries->viewport(), Qt::LeftButton, {}, entries->visualItemRect(entries->item(0)).center());
            Settle();
            QCOMPARE(chooser.Folder(), QDir(dir.filePath("logs")).absolutePath());
            chooser.SaveButton()->click();
            QCOMPARE(chooser.ChosenPath(), QDir(dir.filePath("logs")).absoluteFilePath("DebugFile.bin"));

            dialog.GetFileButton()->click();  // empty path
            f.worker.WaitIdle();
            dialog.Path()->setText(dir.filePath("DebugFile.bin"));
            dialog.GetFileButton()->click();
            f.worker.WaitIdle();
            QTRY_VERIFY(dialog.DeleteButton()->isEnabled());  // the dialog's timer unlocks its buttons
            dialog.DeleteButton()->click();
            f.worker.WaitIdle();
            Settle();
        }
        // The connect-time dialogs, and the longest message the core shows.
        for (auto kind : {QtOperator::Prompt::Kind::EnclosureSerial}) {
            QtOperator::Prompt prompt;
            prompt.kind = kind;
            prompt.caption = "QVR Family Config Tool";
            prompt.text = "The tool could not find the radio this receiver was configured with. If the radio has been "
                          "removed, check the box below so that the configuration is updated.";
            prompt.checkBoxText = "The radio has been removed; update the configuration.";
            std::unique_ptr<QDialog> dialog(f.ui.CreateDialog(prompt, nullptr));
            dialog->show();
            CheckWindow(dialog.get(), "connect-time dialog");
        }
        QtOperator::Prompt longest;
        longest.caption = "QVR Family Config Tool";
        longest.text = QString("A UHF radio was detected in the receiver, however it is currently receiving data. ").repeated(12);
        longest.buttons = qvr::MessageButtons::OkCancel;
        std::unique_ptr<QDialog> box(f.ui.CreateDialog(longest, nullptr));
        box->show();
        CheckWindow(box.get(), "a long message");

        // The help window.
        sheet->SetActivePage(f.app->RadioPage());
        sheet->Strip()->HelpButton()->click();
        Settle();
        QWidget* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "QVRHelpWindow" && w->isVisible()) help = w;
        QVERIFY(help);
        CheckWindow(help, "help");
        help->close();

        for (const char* text : {"Unable to establish connection to receiver.", "The firmware (OEM and/or UserApp)",
                                 "You must factory reset the receiver", "Receiver Settings successfully updated.",
                                 "Please check file save path",
                                 "Are you sure you wish to retrieve", "Successful!", "Are you sure you wish to delete"})
            QVERIFY2(std::any_of(checker.seen.begin(), checker.seen.end(),
                                 [&](const QString& s) { return s.startsWith(QString(text).left(40)); }),
                     text);
    }

    // The first press of the "?" button (or F1) on a tab opens the help at
    // that tab's section, also when the window manager sizes the help
    // window only after it is shown.
    void firstHelpShowsTheTabsSection_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("anchor");
        QTest::addColumn<bool>("f1");
        QTest::newRow("Connection, ?") << 0 << "Connection_tab" << false;
        QTest::newRow("Receiver, F1") << 1 << "Receiver_Settings_tab" << true;
        QTest::newRow("Radio, ?") << 2 << "Radio_tab" << false;
        QTest::newRow("Radio, F1") << 2 << "Radio_tab" << true;
        QTest::newRow("GSM Bearer, F1") << 3 << "GSM_Bearer_tab" << true;
        QTest::newRow("MRS, ?") << 4 << "MRS_tab" << false;
    }
    void firstHelpShowsTheTabsSection() {
        QFETCH(int, tab);
        QFETCH(QString, anchor);
        QFETCH(bool, f1);
        HandheldFixture f("gsm");
        CQVRPropertySheet* sheet = f.app->Sheet();
        sheet->setGeometry(Screen());
        sheet->showMaximized();
        f.PressConnect();
        sheet->Strip()->TabButtons()[tab]->click();
        Settle();
        if (f1) QTest::keyClick(sheet->ActivePage(), Qt::Key_F1);
        else sheet->Strip()->HelpButton()->click();
        Settle();
        QWidget* help = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "QVRHelpWindow" && w->isVisible()) help = w;
        QVERIFY(help);
        auto* text = help->findChild<QTextBrowser*>("Topic");
        // The window manager gives the window its size a moment later.
        help->resize(Screen().width(), Screen().height() - 24);
        Settle();
        const int top = AnchorTop(text, anchor);
        QVERIFY(top > 0 || tab == 0);
        const int shown = text->verticalScrollBar()->value();
        QVERIFY2(std::abs(top - shown) <= 4, qPrintable(QString("%1 at %2, view at %3").arg(anchor).arg(top).arg(shown)));
    }
};

QTEST_MAIN(HandheldFitTest)
#include "test_handheld_fit.moc"
