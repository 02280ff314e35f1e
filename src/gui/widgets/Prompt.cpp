#include "gui/widgets/Prompt.h"
#include "gui/widgets/PlainText.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

QString BoxText(const QString& text, bool* shortened) {
    QStringList lines = text.split('\n');
    bool cut = false;
    if (lines.size() > MaxBoxLines) {
        lines = lines.mid(0, MaxBoxLines - 1);
        lines << QStringLiteral("\u2026");
        cut = true;
    }
    bool broken = false;
    for (QString& line : lines) {
        if (line.size() > MaxBoxLineChars) {
            line = line.left(MaxBoxLineChars - 1) + QChar(0x2026);
            cut = true;
        }
        // The box wraps at blanks only: a long word gets break chances.
        QString out;
        int run = 0;
        for (QChar c : line) {
            run = c.isSpace() ? 0 : run + 1;
            if (run > MaxBoxWordChars) {
                out += QChar(0x200B);
                run = 1;
                broken = true;
            }
            out += c;
        }
        line = out;
    }
    if (shortened) *shortened = cut;
    return cut || broken ? lines.join('\n') : text;
}

namespace {
// Texts in a box come from files and users: never rich text, and a long one
// is cut in the box with the whole of it under "Show Details...".
void SetBoxText(QMessageBox& box, const QString& text, const QString& informative = {}) {
    box.setTextFormat(Qt::PlainText);
    bool cut = false, cutInformative = false;
    box.setText(BoxText(text, &cut));
    if (!informative.isEmpty()) {
        box.setInformativeText(BoxText(informative, &cutInformative));
        // The box sets its own format on the main text only.
        if (auto* label = box.findChild<QLabel*>("qt_msgbox_informativelabel"))
            label->setTextFormat(Qt::PlainText);
    }
    if (cut || cutInformative)
        box.setDetailedText(informative.isEmpty() ? text : text + "\n\n" + informative);
}

bool AskYesNo(QWidget* owner, const QString& title, const QString& text,
              QMessageBox::StandardButton defaultButton) {
    QMessageBox box(QMessageBox::Question, title, QString(), QMessageBox::Yes | QMessageBox::No,
                    owner);
    SetBoxText(box, text);
    if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
    return box.exec() == QMessageBox::Yes;
}
} // namespace

void QtPrompt::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString(),
                    QMessageBox::Ok, owner_);
    SetBoxText(box, text);
    box.exec();
}

void QtPrompt::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QString(), QMessageBox::Ok,
                    owner_);
    SetBoxText(box, text);
    box.exec();
}

void QtPrompt::error(const QString& text, const QString& reason) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QString(), QMessageBox::Ok,
                    owner_);
    SetBoxText(box, text, reason);
    box.exec();
}

bool QtPrompt::confirm(const QString& title, const QString& text) {
    return AskYesNo(owner_, title, text, QMessageBox::NoButton);
}

bool QtPrompt::confirmRisky(const QString& title, const QString& text) {
    return AskYesNo(owner_, title, text, QMessageBox::No);
}

int QtPrompt::choose(const QString& title, const QString& text, const QStringList& buttons,
                     int defaultButton, int escapeButton) {
    QMessageBox box(QMessageBox::Question, title, QString(), QMessageBox::NoButton, owner_);
    SetBoxText(box, text);
    QList<QAbstractButton*> added;
    for (const QString& b : buttons)
        added << box.addButton(b, QMessageBox::ActionRole);
    if (defaultButton >= 0 && defaultButton < added.size())
        box.setDefaultButton(static_cast<QPushButton*>(added[defaultButton]));
    if (escapeButton >= 0 && escapeButton < added.size()) box.setEscapeButton(added[escapeButton]);
    box.exec();
    const int picked = static_cast<int>(added.indexOf(box.clickedButton()));
    return picked >= 0 ? picked : escapeButton;
}

QString QtPrompt::qtFilter(const QString& filter) {
    // Pairs of description and pattern separated by bars.
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(';', ' ');
        if (desc.contains('(')) desc = desc.left(desc.indexOf('(')).trimmed();
        out << desc + " (" + pattern + ")";
    }
    if (out.isEmpty() && !filter.isEmpty()) out << filter;
    return out.join(";;");
}

std::optional<QString> QtPrompt::openFile(const QString& title, const QString& folder,
                                          const QString& filter) {
    QString f = QFileDialog::getOpenFileName(owner_, title, folder, qtFilter(filter));
    if (f.isEmpty()) return std::nullopt;
    return f;
}

std::optional<QString> QtPrompt::saveFile(const QString& title, const QString& folder,
                                          const QString& filter, const QString& defaultExt) {
    QFileDialog dlg(owner_, title, folder, qtFilter(filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QString(defaultExt).remove("*.").remove('.'));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QString> QtPrompt::browseFolder(const QString& title, const QString& root,
                                              const QString& selected) {
    // Qt's own dialog, so the choice can be kept at or below root.
    QFileDialog dlg(owner_, title, selected.isEmpty() ? root : selected);
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    if (QDir(root).exists()) {
        const QString rootPath = QDir(root).canonicalPath();
        auto inside = [rootPath](const QString& p) {
            const QString c = QDir(p).canonicalPath();
            return !c.isEmpty() && (c == rootPath || c.startsWith(rootPath + '/'));
        };
        QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg,
                         [&dlg, inside, rootPath](const QString& dir) {
                             if (!inside(dir)) dlg.setDirectory(rootPath);
                         });
        dlg.setSidebarUrls({QUrl::fromLocalFile(rootPath)});
        for (;;) {
            if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
                return std::nullopt;
            QString picked = dlg.selectedFiles().first();
            if (inside(picked)) {
                // Report the path under the root's own spelling.
                QString rel = QDir(rootPath).relativeFilePath(QDir(picked).canonicalPath());
                return rel == "." ? root : root + '/' + rel;
            }
            dlg.setDirectory(rootPath);
        }
    }
    // Without its root there is nothing to choose from: answer as a cancel.
    return std::nullopt;
}

bool RunReported(Prompt& prompt, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        prompt.error(FileText(e.what()));
    } catch (...) {
        prompt.error(QStringLiteral("Unknown error"));
    }
    return false;
}
