#include "views/style/MotionPreference.hpp"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace kestle::app {

bool MotionPreference::isReduced(const QWidget* widget) {
    if (qEnvironmentVariable("KESTLE_REDUCE_MOTION") == QLatin1String("1")) {
        return true;
    }
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    return style != nullptr &&
           style->styleHint(QStyle::SH_Widget_Animation_Duration, nullptr, widget) == 0;
}

} // namespace kestle::app
