// The start-up anchor: the smallest Qt Widgets program that shows one window.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(565, 224);
    w.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
