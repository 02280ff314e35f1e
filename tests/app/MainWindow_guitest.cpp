#include "GuiTestUtil.h"
#include "RecordingPrompt.h"
#include "TempDir.h"
#include "WorkedExample.h"
#include "WriteFaults.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/project/FileSystem.h"
#include "core/project/IniFile.h"
#include "core/project/Workspace.h"
#include "gui/editors/CommunicationWindow.h"
#include "gui/project/NewProjectWindow.h"
#include "gui/widgets/Prompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSizeGrip>
#include <QtTest>
#include <filesystem>
#include <memory>

namespace {
const QString kTitle = "Velmora Tessaro KT52830 Serial-m 2 DeviceNet-s :";

// One program run on a temporary executable folder.
struct Run {
    TempDir exe;
    Workspace ws{exe.path()};
    Forms forms;
    std::shared_ptr<RecordingPrompt> prompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<RecordingPrompt> newPrompt = std::make_shared<RecordingPrompt>();
    std::shared_ptr<RecordingPrompt> others = std::make_shared<RecordingPrompt>();

    explicit Run(const char* iniValue = nullptr, const char* project = nullptr) {
        if (project) ForceDirectories(exe / (std::string("PROJECTS/") + project));
        if (iniValue)
            WriteText(exe / "Tessaro_Sm2DNs.ini",
                      std::string("[lastproj]\r\nprojectname=") + iniValue + "\r\n");
        start();
    }
    void start() {
        forms.create(ws);
        // No real message box may block a test.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<FormBase*>(w)) f->setPrompt(others);
        main()->setPrompt(prompt);
        forms.Fsaveproj->setPrompt(newPrompt);
        main()->show();
    }
    ~Run() { forms.destroy(); }
    TFTessaroFirmWare* main() const { return forms.FTessaroFirmWare; }
    std::string iniValue() const {
        return IniReadString(exe / "Tessaro_Sm2DNs.ini", "lastproj", "projectname", "<none>");
    }
    // Types a name into the New project dialog and presses OK, then Cancel if
    // the dialog is still open. Returns the dialog's text when OK failed.
    QString newProject(const QString& name) {
        QString leftText;
        WhenModal([&](QDialog* d) {
            QVERIFY(d == forms.Fsaveproj);
            forms.Fsaveproj->Edit1->setText(name);
            forms.Fsaveproj->bitbtn1->click();
            if (forms.Fsaveproj->isVisible()) {
                leftText = forms.Fsaveproj->Edit1->text();
                forms.Fsaveproj->bitbtn2->click();
            }
        });
        main()->New->click();
        return leftText;
    }
};
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithoutIni() {
        Run r;
        QVERIFY(DirectoryExists(r.exe / "MASTER"));
        QVERIFY(DirectoryExists(r.exe / "PROJECTS"));
        QCOMPARE(r.main()->windowTitle(), kTitle);
        QCOMPARE(r.ws.ProjectFolder, r.ws.ProjectsFolder);
        QCOMPARE(r.main()->LabelCheck->text(), QString()); // no project, no check state
        QCOMPARE(r.ws.PargenPath, r.ws.ProjectsFolder + "/pargen.xml");
        QCOMPARE(r.main()->OpenExcel.initialDir.toStdString(), r.ws.ProjectsFolder);
        r.main()->close();
        QCOMPARE(r.iniValue(), std::string(""));
    }

    void rememberedProjects_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("written");
        QTest::newRow("no separator") << "Plant1"
                                      << "Plant1" << kTitle + "/Plant1"
                                      << "/Plant1";
        QTest::newRow("with separator") << "/Plant1"
                                        << "Plant1" << kTitle + "/Plant1"
                                        << "/Plant1";
        QTest::newRow("vanished") << "/Gone"
                                  << "" << kTitle << "/Gone";
        QTest::newRow("leaves PROJECTS") << "/../MASTER"
                                         << "" << kTitle << "/../MASTER";
    }
    void rememberedProjects() {
        QFETCH(QString, ini);
        QFETCH(QString, project);
        QFETCH(QString, caption);
        QFETCH(QString, written);
        Run r(ini.toUtf8().constData(), project.isEmpty() ? nullptr : project.toUtf8().constData());
        QCOMPARE(r.main()->windowTitle(), caption);
        if (project.isEmpty()) QCOMPARE(r.ws.ProjectFolder, r.ws.ProjectsFolder);
        r.main()->LbButton1->click();
        QVERIFY(!r.main()->isVisible());
        QCOMPARE(QString::fromStdString(r.iniValue()), written);
    }

    void mainWindowMembers() {
        Run r;
        TFTessaroFirmWare* m = r.main();
        QCOMPARE(m->size(), QSize(565, 224));
        struct B {
            QPushButton* b;
            const char* caption;
            bool visible;
        };
        const B buttons[] = {{m->New, "New project", true},
                             {m->open, "Open project", true},
                             {m->LbButton1, "X", true},
                             {m->CreateBin, "Update Device", true},
                             {m->CreateSx, "Generate Firmware", false},
                             {m->about, "About", true},
                             {m->btn_Prm_Gen, "Set Communication", true},
                             {m->btn_Emcy_Wd, "Define EMCY Word", false},
                             {m->btn_Sdo, "Set Access ", true},
                             {m->btn_Pdo, "Set Traslate PDO", false},
                             {m->btn_Emcy, "Set Traslate EMCY", false},
                             {m->btn_Info_Pdo, "Define store PDO", false},
                             {m->Btn_SetPDO, "Set PDO Access ", false},
                             {m->btn_Gds, "GSD File", false},
                             {m->btn_Error_Diag, "Error/Diagnosis", false}};
        for (const B& b : buttons) {
            QCOMPARE(b.b->text(), QString(b.caption));
            QCOMPARE(b.b->isVisible(), b.visible);
            QVERIFY(m->findChild<QPushButton*>(b.b->objectName()) == b.b);
            // Visible buttons lie fully inside the window.
            if (b.visible) QVERIFY(m->rect().contains(b.b->geometry()));
        }
        QCOMPARE(m->Label2->text(), QString("Step 1"));
        QCOMPARE(m->Label5->text(), QString("Step 4"));
        QCOMPARE(m->OpenExcel.filter, QString("File EXCEL (*.xls)|*.xls"));
        QCOMPARE(m->SaveGDS.filter, QString("Generic Station Description (*.gsd)|*.gsd"));
    }

    void seventeenWindowsWithCaptions() {
        Run r;
        const QList<QPair<QString, QString>> windows = {
            {"FTessaroFirmWare", kTitle},
            {"Fsaveproj", "New project"},
            {"FHelp", "Help"},
            {"FAbout", "About..."},
            {"FSELstringhe", "Select String"},
            {"FModifyFileSx", "Generate Firmware"},
            {"Fpargen", "SET COMMUNICATION"},
            {"Fsdo", "Set SDO Access"},
            {"Fpdo", "Define Traslate PDO"},
            {"Femcy", "Set Traslate EMCY"},
            {"FWemcy", "Define EMCY Word"},
            {"FXML", "XML Reader & Writer"},
            {"FInfopdo", "Define Store PDO"},
            {"FSetVar", "Set Access"},
            {"FSetPdo", "Set PDO Access"},
            {"FBootSer", "Update Firmware from Serial (RS232)"},
            {"FSetDiagnosis", "Error/Diagnosis"}};
        QStringList created;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<FormBase*>(w)) created << w->objectName();
        QCOMPARE(created.size(), windows.size());
        for (const auto& [name, caption] : windows) {
            QWidget* w = nullptr;
            for (QWidget* t : QApplication::topLevelWidgets())
                if (t->objectName() == name) w = t;
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(w->windowTitle(), caption);
        }
    }

    // Start-up builds only the main window's controls; each dialog builds its
    // own on its first showing, once.
    void dialogsBuildOnFirstShow() {
        Run r;
        QVERIFY(r.forms.FTessaroFirmWare->isBuilt());
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* f = qobject_cast<FormBase*>(w);
            if (!f || f == r.forms.FTessaroFirmWare) continue;
            QVERIFY2(!f->isBuilt(), qPrintable(f->objectName()));
            for (QWidget* c : f->findChildren<QWidget*>()) // a size grip belongs to the frame
                QVERIFY2(qobject_cast<QSizeGrip*>(c), qPrintable(f->objectName()));
        }
        FormBase* d = r.forms.Fsaveproj;
        d->show();
        QVERIFY(d->isBuilt());
        const auto built = d->findChildren<QWidget*>();
        QVERIFY(d->findChild<QLineEdit*>("Edit1"));
        d->hide();
        d->show();
        QCOMPARE(d->findChildren<QWidget*>().size(), built.size());
        d->hide();
    }

    void stepLabelsAreGreyBold() {
        Run r;
        for (QLabel* l : {r.main()->Label2, r.main()->Label3, r.main()->Label4, r.main()->Label5}) {
            QVERIFY(l->font().bold());
            QCOMPARE(l->palette().color(QPalette::WindowText), QColor(128, 128, 128));
        }
        QCOMPARE(r.main()->Label2->text(), QString("Step 1"));
        QCOMPARE(r.main()->Label5->text(), QString("Step 4"));
    }

    void webLinkOpensMakerPage() {
        Run r;
        QUrl opened;
        r.main()->openUrl = [&](const QUrl& u) { opened = u; };
        QTest::mouseClick(r.main()->Label1, Qt::LeftButton);
        QCOMPARE(opened.path(), QString("/HOME/default.asp"));
        QCOMPARE(opened.query(), QString("frompg=KT52830"));
        QVERIFY(opened.host().endsWith(".example"));
    }

    void dispatcherOpensEachEditor_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("form");
        QTest::newRow("sdo") << "btn_Sdo"
                             << "FSetVar";
        QTest::newRow("pdo") << "btn_Pdo"
                             << "Fpdo";
        QTest::newRow("info") << "btn_Info_Pdo"
                              << "FInfopdo";
        QTest::newRow("emcy") << "btn_Emcy"
                              << "Femcy";
        QTest::newRow("emcy word") << "btn_Emcy_Wd"
                                   << "FWemcy";
        QTest::newRow("set pdo") << "Btn_SetPDO"
                                 << "FSetPdo";
        QTest::newRow("diag") << "btn_Error_Diag"
                              << "FSetDiagnosis";
        QTest::newRow("pargen") << "btn_Prm_Gen"
                                << "Fpargen";
    }
    void dispatcherOpensEachEditor() {
        QFETCH(QString, button);
        QFETCH(QString, form);
        Run r; // no remembered project: the editors work on PROJECTS itself
        QString shown;
        WhenModal([&](QDialog* d) {
            shown = d ? d->objectName() : QString();
            if (d) d->reject();
        });
        r.main()->btn_str_lng1aClick(r.main()->findChild<QPushButton*>(button));
        QCOMPARE(shown, form);
        QVERIFY(r.prompt->shown().isEmpty());
    }

    void newProjectCreatesAndOpens() {
        Run r;
        QCOMPARE(r.newProject("Plant1"), QString());
        QVERIFY(DirectoryExists(r.ws.ProjectsFolder + "/Plant1/bin"));
        QCOMPARE(r.ws.ProjectName, std::string("Plant1"));
        QCOMPARE(r.ws.PargenPath, r.ws.ProjectsFolder + "/Plant1/pargen.xml");
        QCOMPARE(r.main()->windowTitle(), kTitle + "Plant1");
        QCOMPARE(r.main()->OpenExcel.initialDir.toStdString(), r.ws.ProjectFolder);
        QVERIFY(r.newPrompt->shown().isEmpty());
        r.main()->close();
        QCOMPARE(r.iniValue(), std::string("Plant1"));
    }

    // The INI file cannot be written when the program ends (a full disk, or a
    // folder in its place): the window still closes, silently, and the INI
    // file keeps what it held.
    void closeEndsWhenIniWriteFails_data() {
        QTest::addColumn<bool>("folderInPlace");
        QTest::newRow("full disk") << false;
        QTest::newRow("folder in place") << true;
    }
    void closeEndsWhenIniWriteFails() {
        QFETCH(bool, folderInPlace);
        Run r("Plant1", "Plant1");
        ForceDirectories(r.ws.ProjectsFolder + "/Other");
        const std::string ini = r.exe / "Tessaro_Sm2DNs.ini";
        const std::string before = folderInPlace ? "" : ReadText(ini);
        if (folderInPlace) {
            std::filesystem::remove(ini);
            QVERIFY(CreateDir(ini));
        }
        r.ws.ApplyOpenedFolder(r.ws.ProjectsFolder + "/Other");
        int hookCalls = 0;
        SetWriteFaultHook([&](size_t, size_t) {
            ++hookCalls;
            return false;
        });
        const bool closed = r.main()->close();
        SetWriteFaultHook(nullptr);
        QVERIFY(closed);
        QVERIFY(!r.main()->isVisible());
        QVERIFY(r.prompt->shown().isEmpty());
        if (folderInPlace) {
            QVERIFY(DirectoryExists(ini));
        } else {
            QVERIFY(hookCalls > 0);
            QCOMPARE(ReadText(ini), before);
        }
    }

    void newProjectRefusals_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "Name project not valid";
        QTest::newRow("exists") << "Plant1"
                                << "Name project not valid because directory already exists";
        QTest::newRow("parent") << ".."
                                << "Name project not valid";
        QTest::newRow("nested") << "a/b"
                                << "Name project not valid";
        QTest::newRow("escape") << "../../x"
                                << "Name project not valid";
    }
    void newProjectRefusals() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        Run r("Plant1", "Plant1");
        const std::string before = r.ws.ProjectFolder;
        // The dialog stays open with the typed text.
        QCOMPARE(r.newProject(name), name);
        QCOMPARE(r.newPrompt->shown(), QStringList{message});
        QCOMPARE(r.ws.ProjectFolder, before);
        QVERIFY(!DirectoryExists(r.ws.ProjectsFolder + "/a"));
        QVERIFY(!DirectoryExists(r.exe / "x"));
        // Cancel after the failed OK shows the bare title.
        QCOMPARE(r.main()->windowTitle(), kTitle);
    }

    void cancelledNewKeepsProjectButShowsBareTitle() {
        Run r("Plant1", "Plant1");
        WhenModal([&](QDialog* d) {
            QCOMPARE(d->windowTitle(), QString("New project"));
            QVERIFY(r.forms.Fsaveproj->Label1->isVisible());
            QCOMPARE(r.forms.Fsaveproj->Label1->buddy(), r.forms.Fsaveproj->Edit1);
            r.forms.Fsaveproj->Edit1->setText("Other");
            r.forms.Fsaveproj->bitbtn2->click();
        });
        r.main()->New->click();
        QCOMPARE(r.main()->windowTitle(), kTitle);
        QCOMPARE(r.ws.ProjectName, std::string("/Plant1"));
        QVERIFY(!DirectoryExists(r.ws.ProjectsFolder + "/Other"));
    }

    void openProject() {
        Run r;
        ForceDirectories(r.ws.ProjectsFolder + "/Plant1");
        const QString projects = QString::fromStdString(r.ws.ProjectsFolder);

        r.prompt->fileAnswers.push_back(projects + "/Plant1");
        r.main()->open->click();
        QCOMPARE(r.prompt->entries.last().kind, QString("browse"));
        QCOMPARE(r.prompt->entries.last().title, QString("Select directory of project"));
        QCOMPARE(r.prompt->entries.last().text, projects + "|" + projects);
        QCOMPARE(r.ws.ProjectName, std::string("/Plant1"));
        QCOMPARE(r.main()->windowTitle(), kTitle + "/Plant1");

        // PROJECTS itself: empty name, bare title.
        r.prompt->fileAnswers.push_back(projects);
        r.main()->open->click();
        QCOMPARE(r.prompt->entries.last().text, projects + "|" + projects + "/Plant1");
        QCOMPARE(r.ws.ProjectName, std::string());
        QCOMPARE(r.ws.ProjectFolder, r.ws.ProjectsFolder);
        QCOMPARE(r.main()->windowTitle(), kTitle);
    }

    void openDeletedProjectThenCancel() {
        Run r("Plant1", "Plant1");
        std::filesystem::remove_all(r.ws.ProjectFolder);
        r.main()->open->click(); // no answer queued: the browser is cancelled
        QCOMPARE(r.prompt->entries.last().text, QString::fromStdString(r.ws.ProjectsFolder) + "|");
        QCOMPARE(r.ws.ProjectFolder, std::string());
        QCOMPARE(r.ws.ProjectName, std::string());
        QCOMPARE(r.main()->windowTitle(), kTitle);
        r.prompt->clear();
        r.main()->btn_Prm_Gen->click();
        r.main()->btn_Sdo->click();
        QCOMPARE(r.prompt->shown(), (QStringList{"Project not valid", "Project not valid"}));
    }

    void textEditorMode_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("value") << "5";
        QTest::newRow("empty") << "";
        QTest::newRow("slash") << "a/b";
    }
    void textEditorMode() {
        QFETCH(QString, text);
        Run r;
        TFsaveproj* d = r.forms.Fsaveproj;
        d->ensureBuilt();
        d->EditTextMode = 1;
        d->Edit1->setText("DN_ID");
        int result = -1;
        WhenModal([&](QDialog*) {
            QCOMPARE(d->windowTitle(), QString("Edit XML"));
            QVERIFY(!d->Label1->isVisible());
            QCOMPARE(d->Edit1->text(), QString("DN_ID"));
            d->Edit1->setText(text);
            d->bitbtn1->click();
        });
        result = d->exec();
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(d->Edit1->text(), text);
        QVERIFY(r.newPrompt->shown().isEmpty());
        if (!text.isEmpty())
            QVERIFY(!DirectoryExists(r.ws.ProjectsFolder + "/" + text.toStdString()));
    }

    void iniWriteFailureStillCloses() {
        Run r("Plant1", "Plant1");
        // A folder in the INI file's place makes the write fail.
        std::filesystem::remove(r.exe / "Tessaro_Sm2DNs.ini");
        ASSERT_DIR(r.exe / "Tessaro_Sm2DNs.ini");
        r.main()->LbButton1->click();
        QVERIFY(!r.main()->isVisible());
        QVERIFY(DirectoryExists(r.exe / "Tessaro_Sm2DNs.ini"));
    }

    void updateDeviceChecksFirst_data() {
        QTest::addColumn<bool>("clean");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("builds");
        QTest::newRow("errors, No keeps the old image") << false << false << false;
        QTest::newRow("errors, Yes builds anyway") << false << true << true;
        QTest::newRow("clean project, no question") << true << false << true;
    }
    void updateDeviceChecksFirst() {
        QFETCH(bool, clean);
        QFETCH(bool, answer);
        QFETCH(bool, builds);
        TempDir exe;
        const std::string project = exe / "PROJECTS/p1";
        ForceDirectories(project + "/bin");
        if (clean) {
            WriteText(project + "/pargen.xml", ExamplePargen);
            WriteText(project + "/sdo.xml", ExampleSdo);
        }
        WriteText(project + "/bin/bank.bin", "old image");
        WriteText(exe / "Tessaro_Sm2DNs.ini", "[lastproj]\r\nprojectname=p1\r\n");
        Workspace ws(exe.path());
        Forms forms;
        forms.create(ws);
        auto prompt = std::make_shared<RecordingPrompt>();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<FormBase*>(w)) f->setPrompt(prompt);
        TFTessaroFirmWare* m = forms.FTessaroFirmWare;
        m->show();
        QCOMPARE(m->LabelCheck->text(), QString(clean ? "No errors" : "1 error"));

        prompt->confirmAnswers = {answer};
        QString updater;
        if (builds)
            WhenModal([&](QDialog* d) {
                updater = d ? d->objectName() : QString();
                if (d) d->reject();
            });
        m->CreateBin->click();
        QStringList asked;
        for (const auto& e : prompt->entries)
            if (e.kind == "risky") asked << e.title + "|" + e.text;
        if (clean)
            QVERIFY(asked.isEmpty());
        else
            QCOMPARE(asked, QStringList{"Update Device|The project has errors:\n\npargen.xml:::: "
                                        "error: no communication parameters\n\nBuild the "
                                        "configuration image anyway?"});
        const std::string bank = ReadText(project + "/bin/bank.bin");
        if (builds) {
            QCOMPARE(updater, QString("FBootSer"));
            QCOMPARE(bank.size(), clean ? ExampleBank.size() : size_t(8));
        } else {
            QCOMPARE(bank, std::string("old image"));
        }
        forms.destroy();
    }

    // Texts from the files are data: the list of findings shows markup as it
    // is, in what the prompt is given and in the real message box.
    void checkLineShowsTextsAsPlainText() {
        Run r("p1", "p1");
        const std::string project = r.exe / "PROJECTS/p1";
        WriteText(project + "/pargen.xml", ExamplePargen);
        auto row = [](int slave, const char* mnemonic) {
            return "<row Slave_ID=\"" + std::to_string(slave) +
                   "\" Type=\"Holding Register\" Address_Mod=\"1\" NPoint=\"1\" Swap=\"N\" "
                   "Address_DeviceNet=\"0\" Mnemonic=\"" +
                   mnemonic + "\"/>";
        };
        WriteText(project + "/sdo.xml",
                  "<Serial_to_ProfiBus><DeviceNet_IN>" + row(1, "&lt;h1&gt;BIG&lt;/h1&gt;") +
                      row(2, "&lt;img src=&quot;file:///etc/passwd&quot;&gt;") + row(3, "caf\xE9") +
                      row(4, "") + "</DeviceNet_IN><DeviceNet_OUT/></Serial_to_ProfiBus>");
        const QString big = "<h1>BIG</h1>", img = "<img src=\"file:///etc/passwd\">";
        QTest::mouseClick(r.main()->LabelCheck, Qt::LeftButton);
        const QString listed = r.prompt->texts("message").last();
        QVERIFY2(listed.contains("address 1, " + big + ")") && listed.contains(img) &&
                     listed.contains(QString::fromUtf8("caf\xC3\xA9")),
                 qPrintable(listed));

        r.main()->setPrompt(std::make_shared<QtPrompt>(r.main()));
        Qt::TextFormat format = Qt::AutoText;
        QString shown, details;
        WhenModal([&](QDialog* d) {
            if (auto* box = qobject_cast<QMessageBox*>(d)) {
                format = box->textFormat();
                shown = box->text();
                details = box->detailedText();
                box->button(QMessageBox::Ok)->click();
            }
        });
        QTest::mouseClick(r.main()->LabelCheck, Qt::LeftButton);
        QCOMPARE(format, Qt::PlainText);
        // Row 4's line is longer than the box takes: cut there, whole in the details.
        QCOMPARE(shown, BoxText(listed));
        QVERIFY(shown.contains(big) && shown.contains(img));
        QCOMPARE(details, listed);
    }

    void checkStateFollowsOpenAndEditorSaves() {
        Run r("p1", "p1");
        TFTessaroFirmWare* m = r.main();
        QCOMPARE(m->LabelCheck->text(), QString("1 error"));
        QCOMPARE(m->LabelCheck->geometry(), QRect(24, 198, 310, 20));
        QTest::mouseClick(m->LabelCheck, Qt::LeftButton);
        QCOMPARE(r.prompt->texts("message").last(),
                 QString("pargen.xml:::: error: no communication parameters\n"
                         "sdo.xml:read::: info: 455 of the 455 bytes of N Byte IN are used by no "
                         "row: 0-454.\n"
                         "sdo.xml:write::: info: 455 of the 455 bytes of N Byte OUT are used by no "
                         "row: 0-454."));
        // SET COMMUNICATION saves pargen.xml: the error is gone.
        WhenModal([&](QDialog* d) {
            QVERIFY(d == r.forms.Fpargen);
            r.forms.Fpargen->bitbtn1->click();
        });
        m->btn_Prm_Gen->click();
        QVERIFY(FileExists(r.ws.PargenPath));
        QCOMPARE(m->LabelCheck->text(), QString("No errors"));
    }

private:
    static void ASSERT_DIR(const std::string& p) { QVERIFY(CreateDir(p)); }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindow_guitest.moc"
