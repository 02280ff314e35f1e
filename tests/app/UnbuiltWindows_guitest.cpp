#include "TempDir.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/project/Workspace.h"
#include "gui/widgets/FormBase.h"

#include <QtTest>

// Start-up creates every window and builds each on its first showing: resizing or
// painting a window before its first showing must not reach controls that
// do not exist yet.
class UnbuiltWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void resizeAndGrabBeforeFirstShow() {
        TempDir exe;
        Workspace ws{exe.path()};
        Forms forms;
        forms.create(ws);
        QVERIFY(!forms.FTessaroFirmWare->grab().isNull());
        int unbuilt = 0;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<FormBase*>(w);
            if (!form || form->isBuilt()) continue;
            ++unbuilt;
            form->resize(form->width() + 17, form->height() + 9);
            QVERIFY2(!form->grab().isNull(), qPrintable(form->objectName()));
            QVERIFY2(!form->isBuilt(), qPrintable(form->objectName()));
        }
        QCOMPARE(unbuilt, 17);
        forms.destroy();
    }
};

QTEST_MAIN(UnbuiltWindowsTest)
#include "UnbuiltWindows_guitest.moc"
