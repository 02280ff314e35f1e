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

signals:
    void findingActivated(const Finding& f);

private:
    std::vector<Finding> findings_;
};
