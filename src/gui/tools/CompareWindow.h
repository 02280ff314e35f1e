#pragma once
#include "core/editors/AccessMap.h"
#include "gui/widgets/FormBase.h"

#include <functional>
#include <memory>
#include <string>

class QTableWidget;
// Not included: the image decoder's names clash with the firmware composer's
// in the translation unit that gathers the windows' moc files.
struct DiffSide;
struct ImageComparison;

// Compare: the differences between the open project's image and an image
// file or another project, one row a difference as `tessaro-cli diff` lists
// them, both CRC-32 values above.
class TFCompare : public FormBase {
    Q_OBJECT
public:
    explicit TFCompare(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);
    ~TFCompare() override;

    QLabel *LabelA{}, *LabelB{}, *LabelResult{};
    QTableWidget* ListDifferences = nullptr; // Part, Row, Field, A, B
    QPushButton *btn_Again{}, *btn_Export{}, *btn_Close{};

    // What a double click on a row difference opens: Set Access on that
    // table, grid row and column. Handed in by whoever creates the window.
    std::function<void(AccessTable, int row, const std::string& column)> openAccessRow;

    // Compares the two sides and shows the result. A project with check
    // errors is compared only when the user agrees; a side that cannot be
    // read is reported. False when nothing was compared.
    bool compare(const std::string& a, const std::string& b);
    // The same two sides again (after an edit).
    bool compareAgain();
    const ImageComparison& comparison() const { return *result_; }
    const std::string& sideA() const { return a_; }

    void ExportClick();
    void DifferenceActivated(int index);

protected:
    void buildControls() override;

private:
    bool load(const std::string& path, const char* which, DiffSide& side);
    void showResult(const DiffSide& a, const DiffSide& b);

    std::string a_, b_;
    std::unique_ptr<ImageComparison> result_;
};
