#include "gui/project/NewProjectWindow.h"

#include "core/project/Workspace.h"
#include "gui/widgets/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFsaveproj::TFsaveproj(Workspace& ws, QWidget* parent, Build build)
    : FormBase(ws, parent, {"Fsaveproj", "New project", {319, 91}, Fixed, TitleCloseFrame}) {
    buildIfNow(build);
}

void TFsaveproj::buildControls() {
    Label1 = NewControl<QLabel>(this, "Label1", "Project name", {8, 6, 300, 16});
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Edit1->setFrame(false);
    Edit1->setGeometry(8, 24, 303, 24);
    Label1->setBuddy(Edit1);
    NewOkCancel(this, bitbtn1, bitbtn2, {72, 56, 81, 27}, {166, 56, 81, 27});

    connect(bitbtn1, &QPushButton::clicked, this, [this] {
        if (run([this] { BitBtn1Click(); })) done(Accepted);
    });
    connect(bitbtn2, &QPushButton::clicked, this, [this] {
        BitBtn2Click();
        done(Rejected);
    });
}

void TFsaveproj::FormShow() {
    if (EditTextMode == 0) {
        setWindowTitle("New project");
        Edit1->clear();
        NewProjectText.clear();
        Label1->setVisible(true);
    } else if (EditTextMode == 1) {
        setWindowTitle("Edit XML");
        Label1->setVisible(false);
    }
    Edit1->setFocus();
}

void TFsaveproj::BitBtn1Click() {
    if (EditTextMode == 1) {
        CloseAllowed = true;
        return;
    }
    NewProjectText = Edit1->text().toStdString();
    NewProjectOutcome out = CreateNewProject(ws(), NewProjectBase, NewProjectText);
    CloseAllowed = out.closeAllowed;
    for (const auto& m : out.messages)
        prompt().message(QString::fromStdString(m));
}

void TFsaveproj::BitBtn2Click() {
    CloseAllowed = true;
}

std::optional<QString> TFsaveproj::editLine(const QString& text) {
    ensureBuilt();
    EditTextMode = 1;
    Edit1->setText(text);
    if (exec() != Accepted) return std::nullopt;
    return Edit1->text();
}

void TFsaveproj::done(int r) {
    if (!CloseAllowed) return;
    FormBase::done(r);
}

void TFsaveproj::reject() {
    // Escape and the window's close box act as Cancel.
    BitBtn2Click();
    FormBase::reject();
}
