#include "app/Forms.h"
#include "app/MainWindow.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/editors/DiagnosisWindow.h"

#include "EditorFixture.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

class EditorDispatchTest : public QObject {
    Q_OBJECT
private slots:
    void buttonsOpenTheirEditors();
};

void EditorDispatchTest::buttonsOpenTheirEditors() {
    EditorFixture f;
    Forms forms;
    forms.create(f.ws);
    f.ws.ProjectName = "p1";
    f.ws.ProjectFolder = f.ws.ProjectsFolder + PathSep + "p1";
    f.ws.UpdateProjectPaths();
    const std::pair<const char*, QDialog*> cases[] = {{"btn_Prm_Gen", forms.Fpargen},
                                                      {"btn_Sdo", forms.FSetVar},
                                                      {"btn_Error_Diag", forms.FSetDiagnosis}};
    for (auto [name, dialog] : cases) {
        auto* button = forms.FTessaroFirmWare->findChild<QPushButton*>(name);
        QVERIFY2(button, name);
        QWidget* shown = nullptr;
        QTimer::singleShot(0, dialog, [&shown, dialog] {
            shown = QApplication::activeModalWidget();
            dialog->findChild<QPushButton*>("bitbtn2")->click();
        });
        button->click();
        QCOMPARE(shown, static_cast<QWidget*>(dialog));
    }
    // Cancel in each wrote nothing.
    QVERIFY(!FileExists(f.ws.PargenPath));
    QVERIFY(!FileExists(f.ws.SdoPath));
    QVERIFY(!FileExists(f.ws.DiagnosisPath));
    forms.destroy();
}

QTEST_MAIN(EditorDispatchTest)
#include "EditorDispatch_guitest.moc"
