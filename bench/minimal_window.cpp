// The start-up anchor: the smallest Qt Widgets program that shows one window,
// ending like the start-up probe once that window has painted.
#include "app/ShownProbe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(565, 224);
    new ShownProbe(&w);
    w.show();
    return app.exec();
}
