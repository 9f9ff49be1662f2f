#pragma once

#include <utility>
#include <vector>

#include <QColor>
#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "views/components/SurfacePanel.hpp"

class QPainter;

namespace kestle::app {

// The facts of an app side by side in equal cells, each a caption over its value,
// divided by hairlines.
class FactStrip : public SurfacePanel {
    Q_OBJECT

public:
    // A caption and its value, both already translated where they need it.
    using Fact = std::pair<QString, QString>;

    explicit FactStrip(std::vector<Fact> facts = {}, QWidget* parent = nullptr);

    void setFacts(std::vector<Fact> facts);
    const std::vector<Fact>& facts() const { return facts_; }
    // The cell of one fact; a screen reader reads it as one element.
    QWidget* cell(int index) const;

    // What the detail page lists about an entry: version, release, download size,
    // requirements and price.
    static std::vector<Fact> facts(const AppEntry& entry);
    // The major system version the app needs: the text before its first full stop.
    static QString majorSystem(const AppEntry& entry);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeCells();
    double cellWidth(int width) const;

    std::vector<Fact> facts_;
    std::vector<QWidget*> cells_;
};

} // namespace kestle::app
