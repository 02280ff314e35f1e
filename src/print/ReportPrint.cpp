// tessaro-print: the report's printing, a module the program loads on the
// first Print. Linked into the program, Qt's print support would be loaded
// (and its symbols looked up) at every start for a button seldom pressed.
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

// Asks for the printer with the print dialog, then prints `doc` on `paper`.
extern "C" __attribute__((visibility("default"))) void
TessaroPrintDocument(QTextDocument* doc, const QPageSize* paper, QWidget* parent) {
    QPrinter printer;
    printer.setPageSize(*paper);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted) doc->print(&printer);
}
