#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkbookSession.h"
#include "app/Forms.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/family/EmcyWindow.h"
#include "gui/family/EmcyWordWindow.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

// Return in an edit box presses the default button of its dialog, and a
// dialog without one makes the first auto-default button the default.
class ReturnKeyTest : public QObject {
    Q_OBJECT
private slots:
    void onlyOkAnswersReturn();
    void returnInEmcyEditsDeletesNothing_data();
    void returnInEmcyEditsDeletesNothing();
};

void ReturnKeyTest::onlyOkAnswersReturn() {
    TempDir exe;
    Workspace ws{exe.path()};
    Forms forms;
    forms.create(ws);
    int windows = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<FormBase*>(w);
        if (!form) continue;
        ++windows;
        form->ensureBuilt();
        for (QPushButton* b : form->findChildren<QPushButton*>()) {
            const QString where = form->objectName() + "/" + b->objectName();
            QVERIFY2(!b->autoDefault() || b->isDefault(), qPrintable(where));
            if (b->isDefault()) QVERIFY2(b->text() == "OK", qPrintable(where));
        }
    }
    QCOMPARE(windows, 17);
    forms.destroy();
}

void ReturnKeyTest::returnInEmcyEditsDeletesNothing_data() {
    QTest::addColumn<bool>("words");
    QTest::newRow("EMCY translation") << false;
    QTest::newRow("EMCY word") << true;
}

void ReturnKeyTest::returnInEmcyEditsDeletesNothing() {
    QFETCH(bool, words);
    TempDir exe;
    Workspace ws{exe.path()};
    ws.Settle();
    auto prompt = std::make_shared<RecordingPrompt>();
    WorkbookSession excel;
    std::unique_ptr<FormBase> dlg;
    QLineEdit* edit = nullptr;
    std::function<int()> count;
    if (words) {
        auto* d = new TFWemcy(ws, excel);
        dlg.reset(d);
        d->setPrompt(prompt);
        d->show();
        d->EdevidA->setText("1");
        d->Eindex_addrmA->setText("1");
        d->EsubindexA->setText("1");
        d->newA->click();
        d->TWCanA->setCurrentItem(d->TWCanA->topLevelItem(0));
        edit = d->EdevidA;
        count = [d] { return d->TWCanA->topLevelItemCount(); };
    } else {
        auto* d = new TFemcy(ws, excel);
        dlg.reset(d);
        d->setPrompt(prompt);
        d->show();
        d->Eid_devA->setText("1");
        d->NewA->click();
        d->LBCanA->setCurrentRow(0);
        edit = d->Eid_devA;
        count = [d] { return d->LBCanA->count(); };
    }
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    QCOMPARE(count(), 1);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    // Return may press OK, which saves the definition; it never deletes it.
    QCOMPARE(count(), 1);
    QVERIFY(!dlg->isVisible());
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    const std::string saved = ReadText(words ? ws.EmcywordPath : ws.EmcydefPath);
    QVERIFY2(saved.find("\"1\"") != std::string::npos || saved.find(">1<") != std::string::npos,
             saved.c_str());
}

QTEST_MAIN(ReturnKeyTest)
#include "ReturnKey_guitest.moc"
