#include "gui/tools/ReportWindow.h"

#include "EditorFixture.h"
#include "WorkedExample.h"
#include "core/project/FileSystem.h"
#include "core/report/CommissioningReport.h"

#include <QApplication>
#include <QDate>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>
#include <filesystem>
#include <unistd.h>

namespace {
struct ExampleProject {
    EditorFixture f;
    ExampleProject() {
        WriteText(f.ws.PargenPath, ExamplePargen);
        WriteText(f.ws.SdoPath, ExampleSdo);
    }
};

// The report of the worked example, shown with the recording prompt.
struct ShownReport : ExampleProject {
    TFReport dlg{f.ws};
    ShownReport() {
        dlg.setPrompt(f.rec);
        dlg.show();
    }
};
} // namespace

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void showsSavesAndWritesPdf();
    void savesFollowTheFileWriterRules();
    void printOpensThePrintDialog();
};

void ReportTest::showsSavesAndWritesPdf() {
    ShownReport r;
    EditorFixture& f = r.f;
    TFReport& dlg = r.dlg;
    const QString text = dlg.ReportView->toPlainText();
    QVERIFY(text.contains("Commissioning report: p1"));
    QVERIFY(text.contains("DeviceNet byte map"));
    QVERIFY(text.contains("Project check"));

    const std::string pdf = f.exe / "r.pdf", html = f.exe / "r.html";
    f.rec->fileAnswers = {QString::fromStdString(pdf), QString::fromStdString(html)};
    dlg.btnSavePdf->click();
    dlg.btnSaveHtml->click();
    QVERIFY2(f.rec->texts("error").isEmpty(), qPrintable(f.rec->shown().join("\n")));
    QCOMPARE(ReadText(pdf).substr(0, 5), std::string("%PDF-"));
    QVERIFY(ReadText(pdf).size() > 5000);
    // The saved HTML is the self-contained one, with the SVG byte map.
    const std::string today = QDate::currentDate().toString(Qt::ISODate).toStdString();
    QCOMPARE(ReadText(html), CommissioningReportHtml(f.ws.ProjectFolder, "p1", today));
}

// Both saves go through the program's file writer: a link is followed and
// kept, a directory is refused with a message and left as it was.
void ReportTest::savesFollowTheFileWriterRules() {
    ShownReport r;
    EditorFixture& f = r.f;
    TFReport& dlg = r.dlg;
    const std::string dir = f.exe / "folder", link = f.exe / "r.pdf", real = f.exe / "real.pdf";
    QVERIFY(CreateDir(dir));
    QVERIFY(::symlink(real.c_str(), link.c_str()) == 0);
    for (QPushButton* button : {dlg.btnSavePdf, dlg.btnSaveHtml}) {
        f.rec->fileAnswers = {QString::fromStdString(dir)};
        button->click();
        const QStringList errors = f.rec->texts("error");
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0],
                 QString::fromStdString("Cannot write file \"" + dir + "\": it is a directory"));
        f.rec->clear();
        QVERIFY(DirectoryExists(dir));
        QVERIFY(std::filesystem::is_empty(dir));
    }
    f.rec->fileAnswers = {QString::fromStdString(link)};
    dlg.btnSavePdf->click();
    QVERIFY2(f.rec->texts("error").isEmpty(), qPrintable(f.rec->shown().join("\n")));
    QVERIFY(std::filesystem::is_symlink(link));
    QCOMPARE(ReadText(real).substr(0, 5), std::string("%PDF-"));
}

// Print loads the printing module (beside the programs) and asks for the
// printer; cancelled, nothing is printed and nothing reported.
void ReportTest::printOpensThePrintDialog() {
    ShownReport r;
    EditorFixture& f = r.f;
    TFReport& dlg = r.dlg;
    QString asked;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        asked = modal->metaObject()->className();
        modal->close();
    });
    dlg.btnPrint->click();
    QVERIFY2(f.rec->texts("error").isEmpty(), qPrintable(f.rec->shown().join("\n")));
    QVERIFY2(asked.contains("PrintDialog"), qPrintable(asked));
}

QTEST_MAIN(ReportTest)
#include "ReportWindow_guitest.moc"
