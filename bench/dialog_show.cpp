// Time from show() to the first painted frame of the two big grid editors,
// "Set SDO Access" (2 x 1501 rows) and Set Access (2 x 456 rows), each with a
// full file, and of a dialog holding one caption for comparison. That one is
// shown first and pays for the fonts, as the main window does in the program
// before any editor opens. Each dialog is created
// once, unbuilt, and shown repeatedly, as the program does: the first showing
// includes building its controls. Prints one line per dialog:
//   <name> <median ms> <first ms> <runs>
#include "../tests/support/WorkbookSession.h"
#include "core/editors/AccessMap.h"
#include "core/project/FileSystem.h"
#include "core/project/Workspace.h"
#include "gui/editors/AccessMapWindow.h"
#include "gui/family/SdoWindow.h"
#include "gui/widgets/StringGrid.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

// Notes the first paint of the watched widget.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

// Milliseconds from show() until the widget the user looks at has been
// painted.
double ShowOnce(QWidget* dlg, const std::function<QWidget*()>& paintedWidget) {
    PaintWatch watch;
    QElapsedTimer t;
    t.start();
    // What show() would build first, so that the watched widget exists.
    if (auto* form = qobject_cast<FormBase*>(dlg)) form->ensureBuilt();
    QWidget* painted = paintedWidget();
    painted->installEventFilter(&watch);
    dlg->show();
    while (!watch.painted && t.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    painted->removeEventFilter(&watch);
    dlg->hide();
    QApplication::processEvents();
    if (!watch.painted) {
        std::fprintf(stderr, "dialog never painted\n");
        std::exit(1);
    }
    return ms;
}

void Report(const char* name, QWidget* dlg, const std::function<QWidget*()>& painted, int runs) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i)
        ms.push_back(ShowOnce(dlg, painted));
    const double first = ms.front();
    std::sort(ms.begin(), ms.end());
    std::printf("%s %.3f %.3f %d\n", name, ms[ms.size() / 2], first, runs);
    std::fflush(stdout);
}

void WriteFullSdoAccess(const std::string& path) {
    std::string s = "<SDO>";
    for (int side = 0; side < 2; ++side)
        for (int i = 0; i < SdoGridRows; ++i)
            s += "<entry conf=\"" + std::to_string(side | (i % 2 ? 16 : 0)) + "\" IndexA=\"0x" +
                 std::to_string(2000 + i) + "\" SubindexA=\"" + std::to_string(i % 256) +
                 "\" devIDB=\"" + std::to_string(i % 127 + 1) + "\" IndexB=\"0x" +
                 std::to_string(6000 + i) + "\" SubindexB=\"" + std::to_string(i % 8) +
                 "\" nbyteB=\"2\" mnemonico=\"entry " + std::to_string(i) + "\"/>";
    s += "</SDO>";
    WriteFileAtomic(path, s);
}

void WriteFullAccessMap(const std::string& path) {
    AccessMap map;
    for (int i = 0; i < AccessMapRows; ++i) {
        std::string n = std::to_string(i);
        map.In.push_back({std::to_string(i % 250 + 1), "Holding Register", "0x" + n, "8",
                          i % 2 ? "Y" : "N", n, "temperature sensor " + n});
        map.Out.push_back(
            {std::to_string(i % 250 + 1), "Coil Status", n, "16", "N", n, "valve " + n});
    }
    SaveAccessMap(map, path);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

    std::string tmpl = (std::filesystem::temp_directory_path() / "tessaro-dialog-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) return 1;
    const std::string dir = tmpl;
    Workspace ws(dir);
    ws.Settle();
    ws.ProjectName = "/bench";
    ws.ProjectFolder = ws.ProjectsFolder + ws.ProjectName;
    CreateDir(ws.ProjectFolder);
    ws.UpdateProjectPaths();
    WriteFileAtomic(ws.PargenPath, "<Par_Gen><DN_NB_IN>455</DN_NB_IN>"
                                   "<DN_NB_OUT>455</DN_NB_OUT></Par_Gen>");
    WriteFullAccessMap(ws.SdoPath);
    const std::string sdoAccess = ws.ProjectFolder + "/sdoaccess.xml";
    WriteFullSdoAccess(sdoAccess);

    {
        QDialog plain;
        plain.resize(820, 560);
        new QLabel("Set SDO Access", &plain);
        Report(
            "label-dialog", &plain, [&] { return &plain; }, runs);
    }
    {
        WorkbookSession excel;
        TFsdo sdo(ws, excel, nullptr, FormBase::Build::OnFirstShow);
        sdo.SdoAccessPath = sdoAccess;
        Report(
            "set-sdo-access", &sdo, [&] { return sdo.sga->viewport(); }, runs);
        if (sdo.sga->cellText(8, SdoGridRows) != "entry 1499") {
            std::fprintf(stderr, "Set SDO Access did not load the full file\n");
            return 1;
        }
    }
    {
        TFSetVar setVar(ws, nullptr, FormBase::Build::OnFirstShow);
        Report(
            "set-access", &setVar, [&] { return setVar.sga->viewport(); }, runs);
        if (setVar.sgb->cellText(7, 455) != "valve 454") {
            std::fprintf(stderr, "Set Access did not load the full file\n");
            return 1;
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
