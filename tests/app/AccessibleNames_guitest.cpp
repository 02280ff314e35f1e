#include "TempDir.h"
#include "app/Forms.h"
#include "core/project/Workspace.h"
#include "gui/widgets/FormBase.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStackedWidget>
#include <QTextEdit>
#include <QtTest>

namespace {
// Whether `w` shows once its tab page is chosen; parts of a compound control
// (a combo box's line edit, a grid's headers) are not inputs of their own,
// and controls hidden in this product are not in the reader's way.
bool Shown(QWidget* w, QWidget* form) {
    for (QWidget* p = w; p != form; p = p->parentWidget()) {
        QWidget* up = p->parentWidget();
        if (qobject_cast<QComboBox*>(up) || qobject_cast<QAbstractItemView*>(up)) return false;
        if (p->isHidden() && !qobject_cast<QStackedWidget*>(up)) return false;
    }
    return true;
}
} // namespace

// A screen reader, like the acceptance checks, finds an input by its
// accessible name: every box, list, tree, grid and button a window shows has one.
class AccessibleNamesTest : public QObject {
    Q_OBJECT
private slots:
    void everyShownInputIsNamed() {
        TempDir exe;
        Workspace ws{exe.path()};
        Forms forms;
        forms.create(ws);
        QStringList unnamed;
        int inputs = 0;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<FormBase*>(top);
            if (!form) continue;
            form->ensureBuilt();
            for (QWidget* w : form->findChildren<QWidget*>()) {
                const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                                   qobject_cast<QAbstractItemView*>(w) ||
                                   qobject_cast<QAbstractSpinBox*>(w) ||
                                   qobject_cast<QPlainTextEdit*>(w) ||
                                   qobject_cast<QTextEdit*>(w) || qobject_cast<QAbstractButton*>(w);
                if (!input || !Shown(w, form)) continue;
                ++inputs;
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
                    unnamed << form->objectName() + "." + w->objectName() + " (" +
                                   w->metaObject()->className() + ")";
            }
        }
        QVERIFY(inputs > 60); // both tabs of the family editors included
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join("\n")));

        // Views take the text of their buddy label, else their tab's caption.
        const struct {
            const char* form;
            const char* view;
            const char* name;
        } views[] = {
            {"FSetVar", "sga", "DeviceNet OUT --> Serial Read"},
            {"FSetVar", "sgb", "Serial Write --> DeviceNet IN"},
            {"FSELstringhe", "sg", "Sel str:"},
            {"FInfopdo", "LPdoCanB", "Index PDO in CANB"},
            {"FInfopdo", "LSdoCanA", "SDO CANB"},
            {"Femcy", "LBCanB", "From CAN B"},
            {"FSetPdo", "sga", "ProfiBus IN --> Transmit PDO"},
        };
        for (const auto& v : views) {
            QWidget* form = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == v.form) form = top;
            QVERIFY2(form, v.form);
            auto* w = form->findChild<QWidget*>(v.view);
            QVERIFY2(w, v.view);
            QCOMPARE(QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name),
                     QString(v.name));
        }
        forms.destroy();
    }
};

QTEST_MAIN(AccessibleNamesTest)
#include "AccessibleNames_guitest.moc"
