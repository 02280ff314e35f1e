#include "gui/widgets/EditorWindow.h"

#include "EditorFixture.h"
#include "core/project/FileSystem.h"
#include "gui/widgets/StringGrid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <sstream>
#include <stdexcept>

namespace {
// A small editor over a text file: first line the name, then rows
// "key;value;swap". A line "BAD" ends the read with an error.
class NoteEditor : public EditorWindow {
public:
    explicit NoteEditor(Workspace& ws, std::string path)
        : EditorWindow(ws), path_(std::move(path)) {
        ensureBuilt();
    }
    QTabWidget* tabs = nullptr;
    QLineEdit* name = nullptr;
    QCheckBox* flag = nullptr;
    StringGrid* grid = nullptr;
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* wipe = nullptr; // a destructive button of the window's own
    int wiped = 0;

protected:
    void buildControls() override {
        tabs = new QTabWidget(this);
        auto* first = new QWidget;
        name = new QLineEdit(first);
        flag = new QCheckBox("flag", first);
        wipe = new QPushButton("Delete", first);
        connect(wipe, &QPushButton::clicked, this, [this] { ++wiped; });
        grid = new StringGrid;
        grid->setColCount(4);
        grid->setRowCount(7);
        grid->setCell(1, 0, "Key");
        grid->setColumnKind(3, StringGrid::Kind::Check);
        tabs->addTab(first, "first");
        tabs->addTab(grid, "table");
        ok = new QPushButton("OK", this);
        cancel = new QPushButton("Cancel", this);
        setButtons(ok, cancel);
        addTable({grid, {1, 2, 3}, 1, {3}});
    }
    void clearControls() override {
        name->clear();
        flag->setChecked(false);
        grid->clearData();
    }
    void loadControls() override {
        if (!FileExists(path_)) return;
        std::istringstream in(ReadText(path_));
        std::string line;
        std::getline(in, line);
        name->setText(QString::fromStdString(line));
        for (int r = 1; std::getline(in, line); ++r) {
            if (line == "BAD") throw std::runtime_error("Error in reading file XML");
            QStringList cells = QString::fromStdString(line).split(';');
            for (int c = 0; c < cells.size() && c < 3; ++c)
                grid->setCell(c + 1, r, cells[c]);
        }
    }
    std::optional<Failure> firstFailure() override {
        if (name->text().isEmpty()) return FailAt("Name missing", name);
        for (int r = 1; r < grid->rowCount() && !grid->cell(1, r).isEmpty(); ++r) {
            bool number = false;
            grid->cell(2, r).toInt(&number);
            if (!number) return FailAt("Row " + std::to_string(r) + " value", grid, 2, r);
        }
        return std::nullopt;
    }
    void save() override {
        std::string text = name->text().toStdString() + "\n";
        for (int r = 1; r < grid->rowCount() && !grid->cell(1, r).isEmpty(); ++r)
            text +=
                (grid->cell(1, r) + ";" + grid->cell(2, r) + ";" + grid->cell(3, r)).toStdString() +
                "\n";
        WriteFileAtomic(path_, text);
    }
    std::string savedFile() const override { return path_; }

private:
    std::string path_;
};

void Type(StringGrid* g, int col, int row, const QString& text) {
    QVERIFY(g->model()->setData(g->model()->index(row - 1, col - 1), text, Qt::EditRole));
}

struct Rig {
    EditorFixture f;
    std::string path = f.ws.ProjectFolder + "/notes.txt";
    NoteEditor dlg{f.ws, path};
    Rig() { dlg.setPrompt(f.rec); }
};
} // namespace

class EditorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void everyShowingStartsEmpty_data();
    void everyShowingStartsEmpty();
    void failedLoadAsksBeforeReplacing_data();
    void failedLoadAsksBeforeReplacing();
    void firstFailureGetsFocus_data();
    void firstFailureGetsFocus();
    void gapQuestion_data();
    void gapQuestion();
    void discardQuestion_data();
    void discardQuestion();
    void returnPressesOnlyOk();
};

void EditorWindowTest::everyShowingStartsEmpty_data() {
    QTest::addColumn<QString>("second"); // the file at the second showing ("" none)
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key1");
    QTest::addColumn<int>("errors");
    QTest::newRow("file gone") << ""
                               << ""
                               << "" << 0;
    QTest::newRow("other file") << "other\nk;5;\n"
                                << "other"
                                << "k" << 0;
    QTest::newRow("broken at once") << "x\nBAD\n"
                                    << "x"
                                    << "" << 1;
}

void EditorWindowTest::everyShowingStartsEmpty() {
    QFETCH(QString, second);
    QFETCH(QString, name);
    QFETCH(QString, key1);
    QFETCH(int, errors);
    Rig t;
    WriteText(t.path, "first\na;1;\nb;2;Y\n");
    t.dlg.show();
    QCOMPARE(t.dlg.grid->cell(1, 2), QString("b"));
    t.dlg.flag->setChecked(true);
    t.dlg.hide();
    if (second.isEmpty())
        QVERIFY(QFile::remove(QString::fromStdString(t.path)));
    else
        WriteText(t.path, second.toStdString());
    t.dlg.show();
    QCOMPARE(t.dlg.name->text(), name);
    QCOMPARE(t.dlg.grid->cell(1, 1), key1);
    QVERIFY(t.dlg.grid->cell(1, 2).isEmpty());
    QVERIFY(!t.dlg.flag->isChecked());
    QCOMPARE(t.f.rec->texts("error").size(), errors);
    QCOMPARE(t.dlg.loadFailed(), errors > 0);
}

void EditorWindowTest::failedLoadAsksBeforeReplacing_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No keeps the file") << false;
    QTest::newRow("Yes replaces it") << true;
}

void EditorWindowTest::failedLoadAsksBeforeReplacing() {
    QFETCH(bool, yes);
    Rig t;
    const std::string broken = "n\na;1;\nBAD\nc;3;\n";
    WriteText(t.path, broken);
    t.dlg.show();
    QCOMPARE(t.f.rec->texts("error"), QStringList{"Error in reading file XML"});
    QCOMPARE(t.dlg.grid->cell(1, 1), QString("a")); // what was read is shown
    t.f.rec->confirmAnswers = {yes};
    QCOMPARE(t.dlg.okClick(), yes);
    QCOMPARE(t.f.rec->entries.last().kind, QString("risky"));
    QVERIFY(t.f.rec->entries.last().text.startsWith("notes.txt could not be read in full."));
    QCOMPARE(t.dlg.isVisible(), !yes);
    QCOMPARE(ReadText(t.path), yes ? std::string("n\na;1;\n") : broken);
}

void EditorWindowTest::firstFailureGetsFocus_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("row"); // current grid row; 0 when the name box has the focus
    QTest::newRow("control") << ""
                             << "Name missing" << 0 << 0;
    QTest::newRow("cell") << "n"
                          << "Row 2 value" << 1 << 2;
}

void EditorWindowTest::firstFailureGetsFocus() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(int, tab);
    QFETCH(int, row);
    Rig t;
    t.dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.dlg));
    t.dlg.tabs->setCurrentIndex(1 - tab);
    t.dlg.name->setText(name);
    Type(t.dlg.grid, 1, 1, "a");
    Type(t.dlg.grid, 2, 1, "1");
    Type(t.dlg.grid, 1, 2, "b");
    Type(t.dlg.grid, 2, 2, "x");
    QVERIFY(!t.dlg.okClick());
    QCOMPARE(t.f.rec->texts("error"), QStringList{message});
    QCOMPARE(t.dlg.tabs->currentIndex(), tab);
    if (row == 0) {
        QVERIFY(t.dlg.name->hasFocus());
    } else {
        QVERIFY(t.dlg.grid->hasFocus());
        QCOMPARE(t.dlg.grid->currentRow(), row);
        QCOMPARE(t.dlg.grid->currentCol(), 2);
    }
    QVERIFY(!FileExists(t.path));
}

void EditorWindowTest::gapQuestion_data() {
    QTest::addColumn<QStringList>("rows"); // rows 1.. as "key;value;swap"
    QTest::addColumn<int>("answer");       // -1: no question expected
    QTest::addColumn<std::string>("file"); // "" when nothing is saved
    QTest::addColumn<QString>("key3");     // key of row 3 afterwards
    QTest::addColumn<QStringList>("shown");
    const QStringList gap = {"a;1;", ";;", "c;3;Y", ";;", "e;5;"};
    QTest::newRow("move up") << gap << int(EditorWindow::MoveUp)
                             << std::string("n\na;1;\nc;3;Y\ne;5;\n") << "e" << QStringList{};
    QTest::newRow("keep editing") << gap << int(EditorWindow::KeepEditing) << std::string() << "c"
                                  << QStringList{};
    QTest::newRow("save as is") << gap << int(EditorWindow::SaveAsIs) << std::string("n\na;1;\n")
                                << "c" << QStringList{};
    QTest::newRow("N swap alone is empty") << QStringList{"a;1;", ";;N", ";;"} << -1
                                           << std::string("n\na;1;\n") << "" << QStringList{};
    QTest::newRow("a value without key counts")
        << QStringList{"a;1;", ";;", ";7;"} << int(EditorWindow::SaveAsIs)
        << std::string("n\na;1;\n") << "" << QStringList{};
    QTest::newRow("move up cannot give a key")
        << QStringList{"a;1;", ";;", ";7;"} << int(EditorWindow::MoveUp) << std::string() << ""
        << QStringList{"Row 2 has no Key, so the table ends there."};
    QTest::newRow("moved rows are checked under new numbers")
        << QStringList{"a;1;", ";;", "c;x;"} << int(EditorWindow::MoveUp) << std::string() << ""
        << QStringList{"Row 2 value"};
}

void EditorWindowTest::gapQuestion() {
    QFETCH(QStringList, rows);
    QFETCH(int, answer);
    QFETCH(std::string, file);
    QFETCH(QString, key3);
    QFETCH(QStringList, shown);
    Rig t;
    t.dlg.show();
    t.dlg.name->setText("n");
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells = rows[r].split(';');
        for (int c = 0; c < 3; ++c)
            if (!cells[c].isEmpty()) Type(t.dlg.grid, c + 1, r + 1, cells[c]);
    }
    if (answer >= 0) t.f.rec->choiceAnswers = {answer};
    QCOMPARE(t.dlg.okClick(), !file.empty());
    QCOMPARE(t.f.rec->texts("choose").size(), answer >= 0 ? 1 : 0);
    if (answer >= 0) {
        QCOMPARE(t.f.rec->lastButtons, QStringList({"Move up", "Keep editing", "Save as is"}));
        QCOMPARE(t.f.rec->lastDefault, int(EditorWindow::MoveUp));
        QVERIFY(t.f.rec->texts("choose")[0].startsWith("Row 2 has no Key"));
    }
    QCOMPARE(t.f.rec->shown(), shown);
    QCOMPARE(FileExists(t.path), !file.empty());
    if (!file.empty()) QCOMPARE(ReadText(t.path), file);
    QCOMPARE(t.dlg.grid->cell(1, 3), key3);
    if (file.empty()) QCOMPARE(t.dlg.grid->currentRow(), 2); // the cell that ends the table
}

void EditorWindowTest::discardQuestion_data() {
    QTest::addColumn<QString>("edit"); // "", "text", "check", "cell"
    QTest::addColumn<QString>("way");  // "cancel", "esc", "close"
    QTest::addColumn<bool>("discard"); // the answer
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("closed");
    QTest::newRow("no edits, cancel") << ""
                                      << "cancel" << false << false << true;
    QTest::newRow("no edits, esc") << ""
                                   << "esc" << false << false << true;
    QTest::newRow("typed, esc, No") << "text"
                                    << "esc" << false << true << false;
    QTest::newRow("typed, esc, Yes") << "text"
                                     << "esc" << true << true << true;
    QTest::newRow("ticked, close box, No") << "check"
                                           << "close" << false << true << false;
    QTest::newRow("cell, cancel, Yes") << "cell"
                                       << "cancel" << true << true << true;
    QTest::newRow("cell, close box, Yes") << "cell"
                                          << "close" << true << true << true;
}

void EditorWindowTest::discardQuestion() {
    QFETCH(QString, edit);
    QFETCH(QString, way);
    QFETCH(bool, discard);
    QFETCH(bool, asked);
    QFETCH(bool, closed);
    Rig t;
    WriteText(t.path, "n\na;1;\n");
    t.dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.dlg));
    if (edit == "text") QTest::keyClicks(t.dlg.name, "x");
    if (edit == "check") QTest::mouseClick(t.dlg.flag, Qt::LeftButton, {}, QPoint(4, 4));
    if (edit == "cell") Type(t.dlg.grid, 2, 1, "9");
    QCOMPARE(t.dlg.hasChanges(), !edit.isEmpty());
    t.f.rec->confirmAnswers = {discard};
    if (way == "cancel") QTest::mouseClick(t.dlg.cancel, Qt::LeftButton);
    if (way == "esc") QTest::keyClick(t.dlg.name, Qt::Key_Escape);
    if (way == "close") t.dlg.close();
    QCOMPARE(t.f.rec->texts("risky"), asked ? QStringList{"Discard changes?"} : QStringList{});
    QCOMPARE(t.dlg.isVisible(), !closed);
    QCOMPARE(ReadText(t.path), std::string("n\na;1;\n"));
}

void EditorWindowTest::returnPressesOnlyOk() {
    Rig t;
    t.dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.dlg));
    t.dlg.wipe->setFocus();
    t.dlg.name->setFocus();
    QTest::keyClicks(t.dlg.name, "n");
    QTest::keyClick(t.dlg.name, Qt::Key_Return);
    QCOMPARE(t.dlg.wiped, 0);
    QVERIFY(!t.dlg.isVisible()); // OK saved and closed
    QCOMPARE(ReadText(t.path), std::string("n\n"));
    for (QPushButton* b : t.dlg.findChildren<QPushButton*>())
        QCOMPARE(b->autoDefault() || b->isDefault(), b == t.dlg.ok);
}

QTEST_MAIN(EditorWindowTest)
#include "EditorWindow_guitest.moc"
