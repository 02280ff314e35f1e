#include "gui/widgets/Prompt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <exception>

void QtPrompt::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    owner_);
    box.exec();
}

void QtPrompt::error(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, owner_);
    box.exec();
}

bool QtPrompt::confirm(const QString& title, const QString& text) {
    return QMessageBox::question(owner_, title, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

bool QtPrompt::confirmRisky(const QString& title, const QString& text) {
    return QMessageBox::question(owner_, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

int QtPrompt::choose(const QString& title, const QString& text, const QStringList& buttons,
                     int defaultButton, int escapeButton) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, owner_);
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
        prompt.error(QString::fromUtf8(e.what()));
    } catch (...) {
        prompt.error(QStringLiteral("Unknown error"));
    }
    return false;
}
