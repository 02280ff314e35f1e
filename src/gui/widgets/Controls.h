#pragma once
#include <QRect>
#include <QString>
#include <QWidget>
#include <initializer_list>

class QPushButton;
class QVBoxLayout;

// Gives a new control its object name, the name by which tests and screen
// readers find it, and places it at `geo` when one is given.
template <class T> T* Named(T* w, const QString& name, QRect geo = {}) {
    w->setObjectName(name);
    if (!geo.isNull()) w->setGeometry(geo);
    return w;
}

// A new named control showing `text`, e.g. NewControl<QLabel>(this, "Label1", "Step 1").
template <class T>
T* NewControl(QWidget* parent, const QString& name, const QString& text = {}, QRect geo = {}) {
    return Named(new T(text, parent), name, geo);
}

// A named button that Return in an edit box of its dialog does not press.
QPushButton* NewPlainButton(QWidget* parent, const QString& name, const QString& text);

// OK (`bitbtn1`, the default button) and Cancel (`bitbtn2`) placed by hand.
void NewOkCancel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel, QRect okGeo,
                 QRect cancelGeo);
// `widgets` one below the other, filling `parent` edge to edge.
QVBoxLayout* NewColumn(QWidget* parent, std::initializer_list<QWidget*> widgets);

// The bottom strip of an editor with its OK (`bitbtn1`) and Cancel (`bitbtn2`) buttons.
QWidget* NewOkCancelPanel(QWidget* parent, QPushButton*& ok, QPushButton*& cancel);
// "Import..." and "Export..." at the right end of an OK/Cancel panel (CSV of the
// window's table).
void AddCsvButtons(QWidget* panel, QPushButton*& import, QPushButton*& exportButton);
