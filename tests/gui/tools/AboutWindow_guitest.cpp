#include "RecordingPrompt.h"
#include "TempDir.h"
#include "core/project/Workspace.h"
#include "gui/tools/AboutWindow.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QtTest>

class AboutTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDir> exe_;
    std::unique_ptr<Workspace> ws_;
    std::unique_ptr<TFAbout> dlg_;
    QList<QUrl> opened_;

private slots:
    void init() {
        exe_ = std::make_unique<TempDir>();
        ws_ = std::make_unique<Workspace>(exe_->path());
        ws_->Settle();
        dlg_ = std::make_unique<TFAbout>(*ws_);
        dlg_->setPrompt(std::make_shared<RecordingPrompt>());
        opened_.clear();
        dlg_->openUrl = [this](const QUrl& u) { opened_ << u; };
        dlg_->show();
    }
    void cleanup() { dlg_.reset(); }

    void labels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1") << "Label1"
                                << "Software Tessaro ";
        QTest::newRow("Label2") << "Label2"
                                << "Gateway Serial Master to DeviceNet Slave";
        QTest::newRow("Label6") << "Label6"
                                << "Software Code : ";
        QTest::newRow("Label9") << "Label9"
                                << "KT52830";
        QTest::newRow("Label3") << "Label3"
                                << "Version :";
        QTest::newRow("Label10") << "Label10"
                                 << "1.000";
        QTest::newRow("Label8") << "Label8"
                                << "Document Code :";
        QTest::newRow("Label12") << "Label12"
                                 << "DL52830";
        QTest::newRow("Label4") << "Label4" << QString(MakerHomeText);
    }
    void labels() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        auto* l = dlg_->findChild<QLabel*>(name);
        QVERIFY(l);
        QCOMPARE(l->text(), text);
        QVERIFY(l->isVisible());
        QVERIFY(dlg_->rect().contains(l->geometry()));
    }

    void window() {
        QCOMPARE(dlg_->windowTitle(), QString("About..."));
        QCOMPARE(dlg_->size(), QSize(406, 152));
        QCOMPARE(dlg_->LbButton1->text(), QString("OK"));
        QVERIFY(!dlg_->Label5->isVisible());
        QCOMPARE(dlg_->Label4->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(dlg_->Label5->cursor().shape(), Qt::PointingHandCursor);
    }

    void logoIsTheDecodedJpeg() {
        QImage logo = TFAbout::Logo();
        QCOMPARE(logo.size(), QSize(81, 81));
        // The corner of the logo is its dark blue background.
        QColor corner = logo.pixelColor(2, 2);
        QVERIFY2(corner.blue() > 120 && corner.red() < 60, qPrintable(corner.name()));
        QCOMPARE(dlg_->Image2->size(), QSize(81, 81));
        QVERIFY(dlg_->Image2->hasScaledContents());
        QVERIFY(!dlg_->Image2->pixmap().isNull());
    }

    void brokenJpegGivesNoImage() {
        QFile f(":/tessaro/logo.jpg");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QByteArray good = f.readAll();
        QVERIFY(TFAbout::DecodeJpeg(QByteArray()).isNull());
        QVERIFY(TFAbout::DecodeJpeg("not a jpeg at all").isNull());
        QCOMPARE(TFAbout::DecodeJpeg(good).size(), QSize(81, 81));
        QVERIFY(TFAbout::DecodeJpeg(good.left(20)).isNull());
    }

    void linksOpenTheHomePageAndMail() {
        QTest::mouseClick(dlg_->Label4, Qt::LeftButton);
        QTest::mouseClick(dlg_->Image2, Qt::LeftButton);
        QCOMPARE(opened_.size(), 2);
        QCOMPARE(opened_[0], QUrl(MakerHomeUrl));
        QCOMPARE(opened_[1], QUrl(MakerHomeUrl));
        QCOMPARE(opened_[0].path(), QString("/HOME/default.asp"));
        QCOMPARE(opened_[0].query(), QString("frompg=KT52830"));
        dlg_->Label5Click();
        QCOMPARE(opened_.size(), 3);
        QCOMPARE(opened_[2].scheme(), QString("mailto"));
        QVERIFY(opened_[2].path().endsWith(".example"));
    }

    void okCloses() {
        QTest::mouseClick(dlg_->LbButton1, Qt::LeftButton);
        QVERIFY(!dlg_->isVisible());
        QCOMPARE(dlg_->result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(AboutTest)
#include "AboutWindow_guitest.moc"
