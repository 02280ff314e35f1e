#include "gui/family/FamilyIO.h"

#include "gui/widgets/StringGrid.h"

void FillGrid(StringGrid* grid, const std::function<void(GridModel&)>& fill) {
    // The views hear once of what changed; unchanged row titles keep the
    // header's measured size.
    GridUpdate hold(grid);
    fill(*grid->gridModel());
}
