#pragma once
#include "core/family/PdoAccess.h"
#include "gui/family/FamilyEditor.h"

// "Set PDO Access": pdo.xml, Profibus input bytes to transmit PDOs and
// receive PDOs to Profibus output bytes.
class TFSetPdo : public FamilyEditor {
    Q_OBJECT
public:
    explicit TFSetPdo(Workspace& ws, QWidget* parent = nullptr, Build build = Build::Now);

    StringGrid *sga{}, *sgb{}; // ProfiBus IN --> Transmit PDO, Recive PDO --> ProfiBub OUT

    int32_t NByteIn = DefaultProfiAreaSize;
    int32_t NByteOut = DefaultProfiAreaSize;

protected:
    void buildControls() override;
    void clearControls() override;
    void loadControls() override;
    std::vector<Failure> allFailures() override;
    void save() override;

private:
    std::vector<PdoAccessRow> gridRows(const StringGrid* grid) const;
    PdoAccessTables tables() const { return {gridRows(sga), gridRows(sgb)}; }
    void fillGrid(StringGrid* grid, const std::vector<PdoAccessRow>& rows);
};
