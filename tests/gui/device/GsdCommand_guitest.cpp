#include "core/project/Workspace.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/device/GsdWriter.h"

#include "RecordingPrompt.h"
#include "TempDir.h"

#include <QPushButton>
#include <QtTest>

// The main window's hidden "GSD File" command.
class GsdCommandTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe;
    std::unique_ptr<Workspace> ws;
    Forms forms;
    TFTessaroFirmWare* win = nullptr;
    std::shared_ptr<RecordingPrompt> prompt;

private slots:
    void init() {
        exe = std::make_unique<TempDir>();
        ws = std::make_unique<Workspace>(exe->path());
        win = new TFTessaroFirmWare(*ws, &forms);
        prompt = std::make_shared<RecordingPrompt>();
        win->setPrompt(prompt);
    }
    void cleanup() {
        delete win;
        win = nullptr;
    }

    void writesTheChosenFileFromTheProjectSizes() {
        WriteText(
            ws->ProjectFolder + "/pargen.xml",
            "<Par_Gen><Profi_NB_IN>100</Profi_NB_IN><Profi_NB_OUT>20</Profi_NB_OUT></Par_Gen>");
        const QString target = QString::fromStdString(ws->ProjectFolder + "/rg.gsd");
        prompt->fileAnswers.push_back(target);
        win->btn_Gds->click();

        QCOMPARE(prompt->texts("save"),
                 QStringList{QString::fromStdString(ws->ProjectFolder) +
                             "|Generic Station Description (*.gsd)|*.gsd|*.gsd"});
        QVERIFY(prompt->shown().isEmpty());
        QCOMPARE(ReadText(target.toStdString()),
                 ReadText(std::string(TEST_DATA_DIR) + "/gsd/in100_out20.gsd"));
    }

    void cancelWritesNothing() {
        win->btn_Gds->click();
        QCOMPARE(prompt->texts("save").size(), 1);
        QVERIFY(!QFile::exists(QString::fromStdString(ws->ProjectFolder + "/rg.gsd")));
        QVERIFY(prompt->shown().isEmpty());
    }

    void targetThatCannotBeCreatedIsReported() {
        const std::string target = ws->ProjectFolder + "/nowhere/rg.gsd";
        prompt->fileAnswers.push_back(QString::fromStdString(target));
        win->btn_Gds->click();
        QCOMPARE(prompt->texts("error"),
                 QStringList{QString::fromStdString("Cannot create file \"" + target +
                                                    "\". No such file or directory")});
    }

    void withoutProjectFolderNothingIsAsked() {
        ws->ProjectFolder.clear();
        win->btn_Gds->click();
        QCOMPARE(prompt->texts("message"), QStringList{"Project not valid"});
        QVERIFY(prompt->texts("save").isEmpty());
    }
};

QTEST_MAIN(GsdCommandTest)
#include "GsdCommand_guitest.moc"
