#include "gui/widgets/FindingsList.h"
#include "gui/widgets/PlainText.h"

FindingsList::FindingsList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        int i = row(item);
        if (i >= 0 && i < lines_) emit lineActivated(i);
        if (i >= 0 && static_cast<size_t>(i) < findings_.size())
            emit findingActivated(findings_[static_cast<size_t>(i)]);
    });
}

void FindingsList::setFindings(std::vector<Finding> findings) {
    findings_ = std::move(findings);
    lines_ = static_cast<int>(findings_.size());
    clear();
    for (const Finding& f : findings_)
        addItem(FileText(FindingLine(f)));
    if (findings_.empty()) addItem("No findings");
}

void FindingsList::setLines(const QStringList& lines) {
    findings_.clear();
    lines_ = static_cast<int>(lines.size());
    clear();
    addItems(lines);
    if (lines.isEmpty()) addItem("No findings");
}
