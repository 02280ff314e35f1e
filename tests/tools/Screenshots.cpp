// Pictures of the README walkthrough: the program on a copy of the sample
// workspace, each window grabbed into OUT_DIR. Run by `make screenshots`.
#include "ModbusSim.h"
#include "app/Forms.h"
#include "app/MainWindow.h"
#include "core/device/ConfigImage.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/editors/BusProbeWindow.h"
#include "gui/editors/BusScanWindow.h"
#include "gui/tools/CompareWindow.h"
#include "gui/tools/ReportWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "Usage: screenshots EXE_FOLDER WORKSPACE OUT_DIR\n");
        return 2;
    }
    const QString out = argv[3];
    Workspace ws(argv[1], argv[2]);
    Forms forms;
    forms.create(ws);
    auto* main = forms.FTessaroFirmWare;
    main->show();
    auto save = [&](QWidget* w, const char* name) {
        // What the screen shows: grab() would also lay out the hidden dialogs.
        // The X server maps a new window a little later.
        QEventLoop wait;
        QTimer::singleShot(500, &wait, &QEventLoop::quit);
        wait.exec();
        w->screen()->grabWindow(w->winId()).save(out + "/" + name);
    };
    QTimer::singleShot(300, [&] {
        save(main, "main-window.png");
        TFSetVar access(ws, main);
        access.show();
        access.resize(787, 420);
        save(&access, "set-access.png");
        access.hide();
        TFReport report(ws, main);
        report.resize(820, 640);
        report.show();
        save(&report, "report.png");
        report.savePdf((out + "/sample-report.pdf").toStdString());
        report.hide();
        // The image a gateway might give back: another baud rate, other
        // points in read row 3, and the last write row missing.
        std::vector<uint8_t> image = BuildImage(ws.ProjectFolder);
        const size_t block = bank::Get32(image.data() + bank::OffParamBlock);
        image.erase(image.begin() + long(block - bank::RecordSize), image.begin() + long(block));
        const size_t moved = block - bank::RecordSize;
        image[bank::OffParamBlock] = uint8_t(moved);
        image[moved + bank::PSerBaud] = 4;
        image[moved + bank::PCountOut] -= 1;
        image[bank::HeaderSize + 2 * bank::RecordSize + bank::RdNPoint] = 4;
        const std::string readBack = ws.ProjectFolder + "/bin/read-back.bin";
        WriteFileAtomic(readBack, std::string(image.begin(), image.end()));
        TFCompare compare(ws, main);
        compare.resize(760, 300);
        compare.show();
        compare.compare(ws.ProjectFolder, readBack);
        save(&compare, "compare.png");
        compare.hide();

        // The scan on the pty simulator, whose slaves answer at 19200 baud only.
        ModbusSim sim("rtu", {}, {"--baud=19200"});
        TFBusProbe probe(ws, main);
        TFBusScan scan(ws, &probe, QString::fromStdString(sim.port()), 0);
        scan.E_Ids->setText("1-2,10-13");
        for (QCheckBox* c : scan.CB_Parities)
            c->setChecked(c->text() == "none"); // a pty takes no parity
        scan.SE_Timeout->setValue(50);
        scan.resize(640, 520);
        scan.show();
        scan.btn_StartClick();
        while (scan.running()) {
            QEventLoop wait;
            QTimer::singleShot(50, &wait, &QEventLoop::quit);
            wait.exec();
        }
        scan.LB_Found->setCurrentRow(2);
        save(&scan, "bus-scan.png");
        scan.hide();
        app.quit();
    });
    int rc = app.exec();
    forms.destroy();
    return rc;
}
