#pragma once

#include <vector>

namespace kestle::app {

// The column rule shared by the table's header and rows, so that both line up:
// fixed columns keep their width and share columns split what is left by weight.
class TableColumns {
public:
    struct Width {
        enum class Kind { share, fixed };
        Kind kind = Kind::fixed;
        double value = 0; // a weight for share, points for fixed

        static Width share(double weight) { return {Kind::share, weight}; }
        static Width fixed(double points) { return {Kind::fixed, points}; }
    };

    // The width measured when nothing proposes one.
    static constexpr double openWidth = 900;

    // One width per column for a total width; the share columns get nothing once the
    // fixed columns and the spacing fill the total.
    static std::vector<double> widths(const std::vector<Width>& columns, double spacing,
                                      double total);
};

} // namespace kestle::app
