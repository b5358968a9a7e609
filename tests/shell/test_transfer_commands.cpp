#include "device/port_selection.h"
#include "documents/textlist_form.h"
#include "fake_prompts.h"
#include "served_controller.h"
#include "log_capture.h"
#include "message_of.h"
#include "documents/compare_dialog.h"
#include "shell/barcodemain.h"
#include "shell/transfer_commands.h"
#include "shell/journal_dialog.h"
#include "shell/transfer_guard.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMdiArea>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QStandardPaths>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

namespace {

// Serial ports that count how often they are made; a short reply time-out
// lets a silent line fail fast.
PortHolder::Factory CountedSerial(int *made = nullptr, int replyTimeout = 2000)
{
    return [made, replyTimeout](bool) -> std::unique_ptr<TKOVPort> {
        if (made)
            ++*made;
        auto port = std::make_unique<TKOVSerial>();
        port->ReplyTimeout = replyTimeout;
        return port;
    };
}

bool IsStamp(const QString &label, const QString &prefix)
{
    return QRegularExpression(u"^"_qs + prefix + u"\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"_qs).match(label).hasMatch();
}

} // namespace

class TestTransferCommands : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;   // dbg.out lands here

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QStandardPaths::setTestModeEnabled(true);   // the journal stays out of the user's data folder
    }

    void recvShowsTheControllersTableInANewModifiedWindow()
    {
        ServedController controller;
        TableDocument source;
        source.setCell(1, 2, "conv");
        source.setCell(2, 2, "4901234567890");
        source.Update();
        controller.model.table = source.image();
        TOstrelMain main;
        main.SelectPort(controller.pty.devicePath());
        main.action(MainAction::Recv1)->trigger();
        QCOMPARE(main.documentArea()->subWindowList().size(), 1);
        auto *form = main.activeTable();
        QVERIFY(form->Modified());
        QVERIFY(!form->document().imageStale());
        QCOMPARE(form->windowTitle(), u"untitled*"_qs);
        QCOMPARE(form->document().grid().cell(2, 2), QByteArray("4901234567890"));
        QCOMPARE(form->document().grid().cell(1, 2), QByteArray("conv"));
        QVERIFY2(IsStamp(form->recvLabel()->text(), u"recv:"_qs), qPrintable(form->recvLabel()->text()));
        QCOMPARE(form->sendLabel()->text(), u"send: --------"_qs);
        QVERIFY(main.messagePane()->toPlainText().contains(u"recv text list; "_qs));
        QVERIFY(!main.ports().ActivePort());
    }

    void aFailedRecvLeavesNoWindow()
    {
        PseudoTerminal silent;
        QString error;
        QVERIFY(silent.open(&error));
        TOstrelMain main;
        main.ports().setFactory(CountedSerial(nullptr, 100));
        main.SelectPort(silent.devicePath);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        TTextList2Form *kept = main.NewDocument(QString());
        kept->parentWidget()->showMaximized();
        main.action(MainAction::Recv1)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(main.documentArea()->subWindowList().size(), 1);
        QVERIFY(kept->parentWidget()->isMaximized());   // as it was before
        QVERIFY(main.messagePane()->toPlainText().endsWith(u"Read timeout"_qs));
        QVERIFY(!main.ports().ActivePort());
    }

    // The send's safeguards come from the confirmation, are remembered, and
    // the backup lands in the user's data folder; Compare lists and changes nothing.
    void safeSendAndCompareFromTheEditor()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir(TOstrelMain::BackupFolder()).removeRecursively();
        QFile::remove(TransferJournal::DefaultPath());
        ServedController controller;
        controller.model.table = QByteArray(65536, '\xFF');
        controller.model.table.replace(0, 3, "OLD");
        FakePrompts prompts;
        prompts.sendChoices = {true, false};
        TOstrelMain main;
        main.SelectPort(controller.pty.devicePath());
        QCOMPARE(main.sendChoices().backup, true);   // both on at first
        QCOMPARE(main.sendChoices().verify, true);
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(2, 1, "NEW");
        form->SetModified(true);
        main.action(MainAction::Send1)->trigger();
        QCOMPARE(prompts.sendOffered.size(), 1);
        QCOMPARE(main.sendChoices().verify, false);   // remembered as left
        const QFileInfoList backups = QDir(TOstrelMain::BackupFolder()).entryInfoList(QDir::Files);
        QCOMPARE(backups.size(), 1);
        QFile backup(backups[0].filePath());
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QVERIFY(backup.readAll().startsWith("OLD"));
        QCOMPARE(controller.model.table.first(3), QByteArray("NEW"));
        // Before writing, the question said what the send changes.
        QCOMPARE(prompts.asked.size(), 2);
        QVERIFY2(prompts.asked[1].startsWith(u"コントローラのテーブルの1行が書き換わります。最初の1件"_qs),
                 qUtf8Printable(prompts.asked[1]));
        QVERIFY(prompts.asked[1].contains(u"\nrow 1, bar code: 'OLD' / 'NEW'\n"_qs));

        controller.model.table.replace(0, 3, "XYZ");
        controller.model.table.replace(128, 3, "ABC");
        const QByteArray before = form->document().image();
        main.action(MainAction::Compare1)->trigger();
        auto *list = form->findChild<CompareDialog *>();
        QVERIFY(list);
        QCOMPARE(list->list()->topLevelItemCount(), 2);
        QCOMPARE(list->list()->topLevelItem(0)->text(0), u"1"_qs);
        QCOMPARE(list->list()->topLevelItem(0)->text(2), u"NEW"_qs);
        QCOMPARE(list->list()->topLevelItem(0)->text(3), u"XYZ"_qs);
        // Copied in the list's order, whatever the order of selecting.
        const QString head = u"Row\tField\tuntitled*\tController\n"_qs, row1 = u"1\tbar code\tNEW\tXYZ\n"_qs,
                      row2 = u"2\tbar code\t\tABC\n"_qs;
        QCOMPARE(list->listText(), head + row1 + row2);
        list->list()->topLevelItem(1)->setSelected(true);
        QCOMPARE(list->listText(), head + row2);
        list->list()->topLevelItem(0)->setSelected(true);
        QCOMPARE(list->listText(), head + row1 + row2);
        QCOMPARE(form->document().image(), before);
        QVERIFY(main.messagePane()->toPlainText().contains(u"compare with controller: 2 fields differ"_qs));

        // The journal window: newest first, all ports or one.
        main.action(MainAction::TransferJournal1)->trigger();
        auto *journal = main.findChild<JournalDialog *>();
        QVERIFY(journal);
        const auto column = [journal](int line, int column) {
            return journal->list()->topLevelItem(line)->text(column);
        };
        QCOMPARE(journal->list()->topLevelItemCount(), 3);
        QCOMPARE((QStringList{column(0, 3), column(1, 3), column(2, 3)}),
                 (QStringList{u"compare"_qs, u"send"_qs, u"backup"_qs}));
        QCOMPARE(column(0, 4), controller.pty.devicePath());
        QCOMPARE(column(0, 7), form->DocumentName());
        QCOMPARE(column(2, 11), QDir::toNativeSeparators(backups[0].filePath()));
        TransferRecord other;
        other.link.port = u"COM9"_qs;
        TransferJournal(TransferJournal::DefaultPath()).Append(other);
        main.action(MainAction::TransferJournal1)->trigger();   // read again, the same window
        QCOMPARE(main.findChildren<JournalDialog *>().size(), 1);
        QCOMPARE(journal->list()->topLevelItemCount(), 4);
        QStringList filters;
        for (int i = 0; i < journal->portFilter()->count(); ++i)
            filters.append(journal->portFilter()->itemText(i));
        QCOMPARE(filters, (QStringList{u"all ports"_qs, controller.pty.devicePath(), u"COM9"_qs}));
        journal->portFilter()->setCurrentIndex(2);
        QCOMPARE(journal->list()->topLevelItemCount(), 1);
        QCOMPARE(column(0, 4), u"COM9"_qs);
        QDir(TOstrelMain::BackupFolder()).removeRecursively();
        QFile::remove(TransferJournal::DefaultPath());
    }

    // The question about the changes comes while the transfer holds the
    // port and drops other input: it still takes its keys and clicks, and a
    // stray Enter keeps the controller's table.
    void theChangesQuestionTakesInputDuringTheSend_data()
    {
        QTest::addColumn<int>("key");   // 0: Send clicked
        QTest::addColumn<bool>("written");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("Send clicked") << 0 << true;
    }
    void theChangesQuestionTakesInputDuringTheSend()
    {
        QFETCH(int, key);
        QFETCH(bool, written);
        QTemporaryDir backups;
        ServedController controller;
        TOstrelMain main;
        main.SelectPort(controller.pty.devicePath());
        main.show();
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(2, 1, "NEW");
        form->SetModified(true);
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer.stop();
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            for (QAbstractButton *button : box->buttons())
                if (!key && button->text() == u"&Send"_qs)
                    QTest::mouseClick(button, Qt::LeftButton);
        });
        answer.start(5);
        LogCapture log;
        form->SendTable(SendSafety{backups.path(), false,
                                   [](const QString &question) { return Prompts().ConfirmChanges(question); }});
        QVERIFY2(!answer.isActive(), qPrintable(log.messages().join(u'|')));
        QCOMPARE(controller.model.table.first(3), written ? QByteArray("NEW") : QByteArray("\xFF\xFF\xFF"));
        QCOMPARE(IsStamp(form->sendLabel()->text(), u"send:"_qs), written);
    }

    void sendAsksFirstAndWritesTheActiveTable()
    {
        ServedController controller;
        FakePrompts prompts;
        int portsMade = 0;
        TOstrelMain main;
        main.ports().setFactory(CountedSerial(&portsMade));
        main.SelectPort(controller.pty.devicePath());
        TTextList2Form *form = main.NewDocument(QString());
        form->document().setCell(2, 1, "ABC");
        form->document().setCell(1, 3, "after the end");
        form->SetModified(true);

        prompts.confirmAnswer = false;
        main.action(MainAction::Send1)->trigger();
        // The check runs first: the question names the entry the controller will not see.
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY(prompts.asked[0].startsWith(u"1件"_qs));
        QVERIFY(prompts.asked[0].contains(u"row 3: 'after the end' lies after the last bar code (row 1)"_qs));
        QVERIFY(prompts.asked[0].endsWith(u"\n\nKOVのバーコードテーブルを書き換えます。よろしいですか？"_qs));
        QCOMPARE(portsMade, 0);   // a cancel opens no port
        QCOMPARE(controller.model.table, QByteArray(65536, '\xFF'));

        prompts.confirmAnswer = true;
        main.action(MainAction::Send1)->trigger();
        QCOMPARE(portsMade, 1);
        QCOMPARE(controller.model.table.first(3), QByteArray("ABC"));
        QVERIFY(IsStamp(form->sendLabel()->text(), u"send:"_qs));
        QVERIFY(form->Modified());   // a send changes nothing but the label and the image
        QVERIFY(!form->document().imageStale());
    }

    void theTableWindowsOwnCommandsUseTheSamePort()
    {
        ServedController controller;
        FakePrompts prompts;
        TOstrelMain main;
        main.SelectPort(controller.pty.devicePath());
        TTextList2Form *form = main.NewDocument(u"/t/table.csv"_qs);
        form->document().setCell(2, 1, "XYZ");
        form->SetModified(true);
        prompts.confirmAnswer = false;
        form->action(TableAction::Send1)->trigger();
        QCOMPARE(controller.model.table.first(3), QByteArray("\xFF\xFF\xFF"));
        prompts.confirmAnswer = true;
        form->action(TableAction::Send1)->trigger();
        QCOMPARE(controller.model.table.first(3), QByteArray("XYZ"));

        controller.model.table.replace(0, 3, "QRS");
        prompts.asked.clear();
        form->SetModified(false);
        form->action(TableAction::Recv1)->trigger();   // into this window, without a question
        QVERIFY(prompts.asked.isEmpty());
        QCOMPARE(form->document().grid().cell(2, 1), QByteArray("QRS"));
        QVERIFY(form->Modified());
        QCOMPARE(form->FileName(), u"/t/table.csv"_qs);   // a receive keeps the name
        QCOMPARE(main.documentArea()->subWindowList().size(), 1);
    }

    // During a transfer nothing typed or clicked runs, then or later; Esc and
    // the cancel button ask to cancel, which only a cancellable step obeys.
    void inputDuringATransferIsDroppedAndEscCancels()
    {
        QWidget window;
        auto *edit = new QLineEdit(&window);
        auto *cancel = new QPushButton(u"Cancel"_qs, &window);
        cancel->move(0, 40);
        QAction recv(u"Recv"_qs, &window);
        recv.setShortcut(Qt::Key_F5);
        window.addAction(&recv);
        int received = 0;
        connect(&recv, &QAction::triggered, [&] { ++received; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
        {
            TransferGuard guard(cancel);
            QTest::keyClicks(edit, u"abc"_qs);
            QTest::keyClick(edit, Qt::Key_F5);
            QTest::mouseClick(edit, Qt::LeftButton);
            QTest::qWait(20);
            guard.KeepAlive(true);
            QVERIFY(!guard.cancelRequested());
            QTest::keyClick(edit, Qt::Key_Escape);
            guard.KeepAlive(false);   // a send runs on
            QVERIFY(messageOf([&] { guard.KeepAlive(true); }).isEmpty());
            QVERIFY(guard.cancelRequested());
        }
        {
            TransferGuard guard(cancel);
            guard.KeepAlive(true);
            QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(guard.cancelRequested());
        }
        QCoreApplication::processEvents();
        QCOMPARE(edit->text(), QString());
        QCOMPARE(received, 0);
        QTest::keyClicks(edit, u"x"_qs);   // and input works again afterwards
        QCOMPARE(edit->text(), u"x"_qs);
    }

    // A cancelled receive waits for the controller to end its reply; the
    // greyed cancel button says so meanwhile, and is itself again after.
    void aCancelledReceiveSaysItWaitsForTheController()
    {
        ServedController controller(500000);   // a whole table takes 1.3 s
        TOstrelMain main;
        main.SelectPort(controller.pty.devicePath());
        QAbstractButton *cancel = main.transferCancelButton();
        const QString caption = cancel->text();
        QStringList shown;   // the caption while the button is greyed
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (!cancel->isHidden() && !cancel->isEnabled() && !shown.contains(cancel->text()))
                shown.append(cancel->text());
        });
        watch.start(5);
        QTimer::singleShot(200, cancel, &QAbstractButton::click);
        main.action(MainAction::Recv1)->trigger();
        QCOMPARE(shown, QStringList{u"Waiting for the controller to finish its reply..."_qs});
        QVERIFY(cancel->isHidden());
        QCOMPARE(cancel->text(), caption);
        QCOMPARE(main.documentArea()->subWindowList().size(), 0);
    }

    void portSelectorPicksTheLinkAndKeepsTypedNames_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("baudEnabled");
        QTest::newRow("USB") << u"USB"_qs << false;
        QTest::newRow("Usb") << u"Usb"_qs << false;
        QTest::newRow("COM1") << u"COM1"_qs << true;
        QTest::newRow("typed COM12") << u"COM12"_qs << true;
    }
    void portSelectorPicksTheLinkAndKeepsTypedNames()
    {
        QFETCH(QString, port);
        QFETCH(bool, baudEnabled);
        TOstrelMain main;
        QVERIFY(!main.baudCombo()->isEnabled());   // starts on USB
        main.SelectPort(port);
        QCOMPARE(main.baudCombo()->isEnabled(), baudEnabled);
        QVERIFY(QMetaObject::invokeMethod(main.portCombo(), "aboutToDropDown"));
        QCOMPARE(main.portCombo()->currentText(), port);
        // Each entry shows what the port is and keeps its bare name for the link.
        QVERIFY(main.portCombo()->itemText(0).startsWith(u"USB — "_qs));
        QCOMPARE(main.portCombo()->itemData(0).toString(), u"USB"_qs);
    }

    void aTypedPortDecidesTheLinkAtOnce_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("baudEnabled");
        QTest::newRow("a serial port") << u"/dev/ttyS4"_qs << u"/dev/ttyS4"_qs << true;
        QTest::newRow("back to usb") << u"usb"_qs << u"usb"_qs << false;
        // Completed from the list: the port's name, not the text describing it.
        QTest::newRow("completed from the list") << u"ttyU"_qs << u"ttyUSB0"_qs << true;
    }
    void aTypedPortDecidesTheLinkAtOnce()
    {
        QFETCH(QString, typed);
        QFETCH(QString, port);
        QFETCH(bool, baudEnabled);
        TOstrelMain main;
        main.transferCommands().setPortLister([] {
            return QList<PortEntry>{{u"USB"_qs, u"USB — no KOV Vision Sensor found"_qs},
                                    {u"ttyUSB0"_qs, u"ttyUSB0 — FT232R USB UART, FTDI"_qs}};
        });
        main.transferCommands().RefreshPortList();
        main.SelectPort(typed == u"usb"_qs ? u"COM1"_qs : u"USB"_qs);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QLineEdit *edit = main.portCombo()->lineEdit();
        edit->setFocus();   // the completer serves the box with the keyboard
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(main.portCombo()->currentText(), port);
        QCOMPARE(main.baudCombo()->isEnabled(), baudEnabled);
    }

    void portsPluggedInOrOutUpdateTheListAndKeepTheChoice()
    {
        TOstrelMain main;
        QList<PortEntry> system{{u"USB"_qs, u"USB — no KOV Vision Sensor found"_qs}, {u"ttyS0"_qs, u"ttyS0"_qs}};
        main.transferCommands().setPortLister([&system] { return system; });
        main.transferCommands().RefreshPortList();
        main.SelectPort(u"ttyS0"_qs);
        main.portCombo()->lineEdit()->setCursorPosition(3);
        system.removeLast();
        system.append({u"ttyUSB0"_qs, u"ttyUSB0 — FT232R USB UART, FTDI"_qs});
        main.transferCommands().RefreshPortList();
        main.transferCommands().RefreshPortList();   // nothing new: no news
        QCOMPARE(main.portCombo()->count(), 2);
        QCOMPARE(main.portCombo()->itemData(1).toString(), u"ttyUSB0"_qs);
        QCOMPARE(main.portCombo()->currentText(), u"ttyS0"_qs);
        QCOMPARE(main.portCombo()->lineEdit()->cursorPosition(), 3);
        QVERIFY(main.portCombo()->view()->minimumWidth() > main.portCombo()->width());   // labels not cut
        const QString log = main.messagePane()->toPlainText();
        // The first listing is not news, nor a look that finds nothing new.
        QCOMPARE(log.count(u"port plugged in: "_qs), 1);
        QVERIFY(log.contains(u"port plugged in: ttyUSB0 — FT232R USB UART, FTDI"_qs));
        QCOMPARE(log.count(u"port unplugged: "_qs), 1);
        QVERIFY(log.contains(u"port unplugged: ttyS0"_qs));
        Q_EMIT main.portCombo()->activated(1);   // chosen from the list: its bare name
        QCOMPARE(main.portCombo()->currentText(), u"ttyUSB0"_qs);
        QVERIFY(main.baudCombo()->isEnabled());
    }
};

QTEST_MAIN(TestTransferCommands)
#include "test_transfer_commands.moc"
