#include "reports/ReportGraph.h"

#include "reports/ReportGenerator.h"
#include "reports/ReportGrid.h"

namespace larkspan {

GraphGrid graphGridOf(const ReportGrid& grid)
{
    return {grid.rowCount(), [&grid](int column, int row) { return grid.cell(column, row); }};
}

void ReportGenerator::GenerateGraph(const std::string& basePath)
{
    grid_.setCell(0, 5, generateGraph(platform_, graphGridOf(grid_), profile_.g3d, basePath, grid_.cell(0, 5)));
}

}  // namespace larkspan
