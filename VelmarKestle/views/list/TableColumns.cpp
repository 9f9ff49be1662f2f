#include "views/list/TableColumns.hpp"

#include <algorithm>

namespace kestle::app {

std::vector<double> TableColumns::widths(const std::vector<Width>& columns, double spacing,
                                         double total) {
    double fixedSum = 0;
    double shareSum = 0;
    for (const Width& column : columns) {
        (column.kind == Width::Kind::fixed ? fixedSum : shareSum) += column.value;
    }
    const double gaps = columns.empty() ? 0 : spacing * static_cast<double>(columns.size() - 1);
    const double free = std::max(0.0, total - fixedSum - gaps);
    std::vector<double> widths;
    widths.reserve(columns.size());
    for (const Width& column : columns) {
        if (column.kind == Width::Kind::fixed) {
            widths.push_back(column.value);
        } else {
            // Weights that add up to nothing share nothing rather than dividing by zero.
            widths.push_back(shareSum > 0 ? free * column.value / shareSum : 0);
        }
    }
    return widths;
}

} // namespace kestle::app
