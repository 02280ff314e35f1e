// Cancel asks "Discard changes?" exactly when a control holds another value
// than the load put there, however it was changed: the accessibility actions
// a screen reader or test tool uses, or the program's own setters. A change
// put back to the loaded value is no change.
#include "EditorFixture.h"
#include "WorkbookSession.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/editors/DiagnosisWindow.h"
#include "gui/family/EmcyWindow.h"
#include "gui/family/EmcyWordWindow.h"
#include "gui/family/PdoAccessWindow.h"
#include "gui/family/SdoWindow.h"
#include "gui/widgets/StringGrid.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QtTest>

#include <functional>

namespace {
// The accessibility action `action` on the control, as an assistive tool runs it.
void Act(QWidget* w, const QString& action) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    QVERIFY(iface && iface->actionInterface());
    QVERIFY(iface->actionInterface()->actionNames().contains(action));
    iface->actionInterface()->doAction(action);
}

// The control's first accessible action, what a screen reader offers: press
// for a push button (an animated click, so wait for it), toggle for a check
// box or radio button.
void Press(QAbstractButton* b) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(b);
    QVERIFY(iface && iface->actionInterface());
    const QStringList names = iface->actionInterface()->actionNames();
    QVERIFY(!names.isEmpty());
    QSignalSpy clicked(b, &QAbstractButton::clicked);
    QSignalSpy toggled(b, &QAbstractButton::toggled);
    iface->actionInterface()->doAction(names.first());
    QTRY_VERIFY(clicked.size() + toggled.size() > 0);
}

// Types into an edit box through its accessible text, not through keys.
void SetValue(QLineEdit* e, const QString& text) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(e);
    QVERIFY(iface);
    iface->setText(QAccessible::Value, text);
    QCOMPARE(e->text(), text);
}

struct Rig {
    EditorFixture f;
    WorkbookSession excel;
    std::unique_ptr<EditorWindow> dlg;
};

// One editor and one change to it; `change` leaves the window changed, or,
// with `back`, changes it and puts the loaded value back.
struct Case {
    const char* name;
    std::function<EditorWindow*(Rig&)> make;
    std::function<void(EditorWindow*)> change;
    bool changed;
};

template <class W> W* As(EditorWindow* w) {
    return static_cast<W*>(w);
}

const char* kPargen =
    "<Par_Gen><Ser_Baud>7</Ser_Baud><Ser_Par>0</Ser_Par><Ser_TO>1000</Ser_TO>"
    "<Ser_CD>100</Ser_CD><Ser_Type>1</Ser_Type><Ser_Prot>0</Ser_Prot>"
    "<Ser_Write_Mode>0</Ser_Write_Mode><DN_ID>1</DN_ID><DN_Baud>2</DN_Baud>"
    "<DN_NB_IN>455</DN_NB_IN><DN_NB_OUT>455</DN_NB_OUT><DN_Enable_Error>0</DN_Enable_Error>"
    "<DN_Num_Cont_Err>3</DN_Num_Cont_Err><DN_Val_Canc_Data>0x00</DN_Val_Canc_Data></Par_Gen>";

EditorWindow* Pargen(Rig& r) {
    WriteText(r.f.ws.PargenPath, kPargen);
    return new TFpargen(r.f.ws);
}
EditorWindow* SetVar(Rig& r) {
    return new TFSetVar(r.f.ws);
}
EditorWindow* Diagnosis(Rig& r) {
    return new TFSetDiagnosis(r.f.ws);
}
EditorWindow* Sdo(Rig& r) {
    return new TFsdo(r.f.ws, r.excel);
}
EditorWindow* PdoAccess(Rig& r) {
    return new TFSetPdo(r.f.ws);
}
EditorWindow* Emcy(Rig& r) {
    return new TFemcy(r.f.ws, r.excel);
}
EditorWindow* Word(Rig& r) {
    return new TFWemcy(r.f.ws, r.excel);
}

// A cell typed as a paste, one undo step of the grid.
void Put(StringGrid* g, int col, int row, const QString& text) {
    g->selectCell(col, row);
    QVERIFY(g->pasteText(text));
}

void AddEmcy(TFemcy* d) {
    d->fieldEdit(0, 0)->setText("5");
    d->targetOption(0, 1)->setChecked(true);
    Press(d->NewA);
    QCOMPARE(d->LBCanA->count(), 1);
}

void AddWord(TFWemcy* d) {
    d->EdevidA->setText("3");
    d->Eindex_addrmA->setText("0x2000");
    d->EsubindexA->setText("1");
    Press(d->newA);
    QCOMPARE(d->TWCanA->topLevelItemCount(), 1);
}

const Case kCases[] = {
    // Radio buttons, check boxes, drop-downs and edit boxes of Set Communication.
    {"radio, first action", Pargen, [](EditorWindow* w) { Press(As<TFpargen>(w)->RB_Ser_232); },
     true},
    {"radio, toggle", Pargen,
     [](EditorWindow* w) {
         Act(As<TFpargen>(w)->RB_Ser_232, QAccessibleActionInterface::toggleAction());
         QVERIFY(As<TFpargen>(w)->RB_Ser_232->isChecked());
     },
     true},
    {"radio, setChecked", Pargen,
     [](EditorWindow* w) { As<TFpargen>(w)->RB_Ser_JBUS->setChecked(true); }, true},
    {"radio, back", Pargen,
     [](EditorWindow* w) {
         Press(As<TFpargen>(w)->RB_Ser_232);
         Press(As<TFpargen>(w)->RB_Ser_485);
     },
     false},
    {"check box, toggle", Pargen,
     [](EditorWindow* w) {
         Act(As<TFpargen>(w)->CB_En_Err, QAccessibleActionInterface::toggleAction());
     },
     true},
    {"check box, first action twice", Pargen,
     [](EditorWindow* w) {
         Press(As<TFpargen>(w)->CB_En_Err);
         Press(As<TFpargen>(w)->CB_En_Err);
     },
     false},
    {"drop-down, setCurrentIndex", Pargen,
     [](EditorWindow* w) { As<TFpargen>(w)->CB_Ser_Par->setCurrentIndex(2); }, true},
    {"drop-down, back", Pargen,
     [](EditorWindow* w) {
         As<TFpargen>(w)->CB_Pro_Baud->setCurrentIndex(0);
         As<TFpargen>(w)->CB_Pro_Baud->setCurrentIndex(2);
     },
     false},
    {"edit box, accessible value", Pargen,
     [](EditorWindow* w) { SetValue(As<TFpargen>(w)->E_Ser_TO, "2000"); }, true},
    {"edit box, setText", Pargen, [](EditorWindow* w) { As<TFpargen>(w)->E_Pro_ID->setText("7"); },
     true},
    {"edit box, back", Pargen,
     [](EditorWindow* w) {
         SetValue(As<TFpargen>(w)->E_Ser_CD, "5");
         SetValue(As<TFpargen>(w)->E_Ser_CD, "100");
     },
     false},
    // Grid cells, by the program and by undoable edits undone.
    {"access map cell, setCell", SetVar,
     [](EditorWindow* w) { As<TFSetVar>(w)->sgb->setCell(1, 3, "4"); }, true},
    {"access map cell, undone", SetVar,
     [](EditorWindow* w) {
         Put(As<TFSetVar>(w)->sga, 1, 1, "9");
         As<TFSetVar>(w)->sga->undoStack()->undo();
     },
     false},
    {"access map cell, set back", SetVar,
     [](EditorWindow* w) {
         StringGrid* g = As<TFSetVar>(w)->sga;
         Put(g, 7, 2, "x");
         g->selectCell(7, 2);
         QVERIFY(g->clearCells());
     },
     false},
    {"byte map opened beside", SetVar,
     [](EditorWindow* w) { As<TFSetVar>(w)->BtnByteMap->click(); }, false},
    {"diagnosis cell, paste", Diagnosis,
     [](EditorWindow* w) { Put(As<TFSetDiagnosis>(w)->ACG, 1, 1, "3"); }, true},
    {"sdo cell, setCell", Sdo, [](EditorWindow* w) { As<TFsdo>(w)->sgb->setCell(8, 1, "name"); },
     true},
    {"pdo access cell, undo and redo", PdoAccess,
     [](EditorWindow* w) {
         Put(As<TFSetPdo>(w)->sga, 1, 1, "1");
         As<TFSetPdo>(w)->sga->undoStack()->undo();
         As<TFSetPdo>(w)->sga->undoStack()->redo();
     },
     true},
    // List entries and tree nodes, added through the accessible New button.
    {"list entry, press New", Emcy, [](EditorWindow* w) { AddEmcy(As<TFemcy>(w)); }, true},
    {"list entry, New then Delete", Emcy,
     [](EditorWindow* w) {
         auto* d = As<TFemcy>(w);
         AddEmcy(d);
         d->LBCanA->setCurrentRow(0);
         Press(d->DeleteA);
         QCOMPARE(d->LBCanA->count(), 0);
     },
     false},
    {"list entry fields, not committed", Emcy,
     [](EditorWindow* w) { SetValue(As<TFemcy>(w)->fieldEdit(0, 0), "9"); }, false},
    {"tree node, press New", Word, [](EditorWindow* w) { AddWord(As<TFWemcy>(w)); }, true},
    {"tree node, New then Delete", Word,
     [](EditorWindow* w) {
         auto* d = As<TFWemcy>(w);
         AddWord(d);
         d->TWCanA->setCurrentItem(d->TWCanA->topLevelItem(0));
         Press(d->deleteA);
         QCOMPARE(d->TWCanA->topLevelItemCount(), 0);
     },
     false},
};
} // namespace

class EditDetectionTest : public QObject {
    Q_OBJECT
private slots:
    void cancelAsksExactlyWhenChanged_data();
    void cancelAsksExactlyWhenChanged();
};

void EditDetectionTest::cancelAsksExactlyWhenChanged_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < std::size(kCases); ++i)
        QTest::newRow(kCases[i].name) << int(i);
}

void EditDetectionTest::cancelAsksExactlyWhenChanged() {
    QFETCH(int, index);
    const Case& c = kCases[index];
    Rig r;
    r.dlg.reset(c.make(r));
    r.dlg->setPrompt(r.f.rec);
    r.dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(r.dlg.get()));
    r.f.rec->clear();
    QVERIFY(!r.dlg->hasChanges());
    c.change(r.dlg.get());
    if (QTest::currentTestFailed()) return;
    QCOMPARE(r.dlg->hasChanges(), c.changed);
    r.f.rec->confirmAnswers = {false}; // No: keep editing
    r.dlg->bitbtn2->click();
    QCOMPARE(r.f.rec->texts("risky"), c.changed ? QStringList{"Discard changes?"} : QStringList{});
    QCOMPARE(r.dlg->isVisible(), c.changed);
    if (!c.changed) return;
    // Shown again, the window holds the file's values: nothing to ask.
    r.f.rec->confirmAnswers = {true};
    r.dlg->bitbtn2->click();
    QVERIFY(!r.dlg->isVisible());
    r.dlg->show();
    r.f.rec->clear();
    QVERIFY(!r.dlg->hasChanges());
    r.dlg->bitbtn2->click();
    QCOMPARE(r.f.rec->texts("risky"), QStringList{});
}

QTEST_MAIN(EditDetectionTest)
#include "EditDetection_guitest.moc"
