#pragma once
#include "core/editors/Finding.h"

#include <QListWidget>
#include <vector>

// The list a "Check" button fills: one line a finding as tessaro-cli prints
// it. A double click (or Return) on a line announces its finding, so the
// window can select the cell.
class FindingsList : public QListWidget {
    Q_OBJECT
public:
    explicit FindingsList(QWidget* parent = nullptr);
    void setFindings(std::vector<Finding> findings);
    const std::vector<Finding>& findings() const { return findings_; }
    // Plain lines, for a window whose findings are its own messages.
    void setLines(const QStringList& lines);

signals:
    void findingActivated(const Finding& f);
    // The line's index, for either kind of filling.
    void lineActivated(int index);

private:
    std::vector<Finding> findings_;
    int lines_ = 0; // lines that stand for a finding ("No findings" does not)
};
