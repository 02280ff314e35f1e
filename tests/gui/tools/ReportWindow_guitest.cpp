#include "gui/tools/ReportWindow.h"

#include "EditorFixture.h"
#include "WorkedExample.h"
#include "core/report/CommissioningReport.h"

#include <QDate>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

class ReportTest : public QObject {
    Q_OBJECT
private slots:
    void showsSavesAndWritesPdf();
};

void ReportTest::showsSavesAndWritesPdf() {
    EditorFixture f;
    WriteText(f.ws.PargenPath, ExamplePargen);
    WriteText(f.ws.SdoPath, ExampleSdo);
    TFReport dlg(f.ws);
    dlg.setPrompt(f.rec);
    dlg.show();
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

QTEST_MAIN(ReportTest)
#include "ReportWindow_guitest.moc"
