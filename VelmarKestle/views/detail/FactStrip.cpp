#include "views/detail/FactStrip.hpp"

#include <algorithm>
#include <cmath>

#include <QLocale>
#include <QPainter>
#include <QStringList>
#include <QStyle>

#include "platform/PlatformWords.hpp"
#include "views/components/Hairline.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kRadius = 12;
constexpr int kPadX = 14;
constexpr int kPadY = 12;
constexpr int kLineSpacing = 2;
constexpr int kSeparator = Hairline::thickness;
constexpr int kMinimumCell = 80;

const QString kDash = QStringLiteral("—");

// One fact: the caption as an eyebrow over the value, which wraps. Drawn rather than
// built of labels so that it is one element to a screen reader.
class FactCell : public QWidget {
public:
    explicit FactCell(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    void setFact(const FactStrip::Fact& fact) {
        fact_ = fact;
        setAccessibleName(fact.first + QStringLiteral(": ") + fact.second);
        update();
    }

    static QFont captionFont() { return KestleStyle::font(11, QFont::Bold, 0.9); }
    static QFont valueFont() { return KestleStyle::font(13, QFont::DemiBold); }

    QString caption() const { return QLocale().toUpper(fact_.first); }

    int idealWidth() const {
        return 2 * kPadX + std::max(KestleStyle::textWidth(captionFont(), caption()),
                                    KestleStyle::textWidth(valueFont(), fact_.second));
    }

    int heightFor(int width) const {
        return 2 * kPadY + QFontMetrics(captionFont()).height() + kLineSpacing +
               valueRect(width).height();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QPalette& pal = palette();
        painter.setFont(captionFont());
        painter.setPen(KestleStyle::secondaryText(pal));
        const int captionHeight = QFontMetrics(captionFont()).height();
        KestleStyle::drawLine(painter, QRectF(kPadX, kPadY, width() - 2 * kPadX, captionHeight),
                              caption(), Qt::AlignLeading | Qt::AlignVCenter);
        painter.setFont(valueFont());
        painter.setPen(KestleStyle::primaryText(pal));
        QRect value = valueRect(width()).translated(kPadX, kPadY + captionHeight + kLineSpacing);
        painter.drawText(value, Qt::AlignLeading | Qt::AlignTop | Qt::TextWordWrap, fact_.second);
    }

private:
    QRect valueRect(int width) const {
        return QFontMetrics(valueFont())
            .boundingRect(QRect(0, 0, std::max(1, width - 2 * kPadX), 100000),
                          Qt::AlignLeading | Qt::AlignTop | Qt::TextWordWrap, fact_.second);
    }

    FactStrip::Fact fact_;
};

FactCell* asCell(QWidget* widget) {
    return static_cast<FactCell*>(widget);
}

} // namespace

FactStrip::FactStrip(std::vector<Fact> facts, QWidget* parent) : SurfacePanel(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFacts(std::move(facts));
}

void FactStrip::setFacts(std::vector<Fact> facts) {
    facts_ = std::move(facts);
    while (cells_.size() > facts_.size()) {
        delete cells_.back();
        cells_.pop_back();
    }
    while (cells_.size() < facts_.size()) {
        auto* cell = new FactCell(this);
        cell->show();
        cells_.push_back(cell);
    }
    for (size_t i = 0; i < facts_.size(); ++i) {
        asCell(cells_[i])->setFact(facts_[i]);
    }
    updateGeometry();
    placeCells();
    update();
}

QWidget* FactStrip::cell(int index) const {
    return index >= 0 && static_cast<size_t>(index) < cells_.size() ? cells_[index] : nullptr;
}

std::vector<FactStrip::Fact> FactStrip::facts(const AppEntry& entry) {
    using Status = AppEntry::Status;
    const Status status = entry.status();
    const bool coming = status == Status::coming;
    const QString requirement = PlatformWords::text(PlatformWord::requiresSystem)
                                    .arg(majorSystem(entry), PlatformWords::processor());
    const std::optional<FeedItem>& latest = entry.latest;

    std::vector<Fact> facts;
    if (coming) {
        //: Fact of the detail page: caption of a coming app's state
        facts.emplace_back(tr("Status"),
                           //: Fact of the detail page: a coming app's state
                           tr("In Development"));
        //: Fact of the detail page: caption of the release date
        facts.emplace_back(tr("Release"),
                           //: Fact of the detail page: a release date not yet known
                           tr("To Be Announced"));
        //: Fact of the detail page: caption of the download size
        facts.emplace_back(tr("Download"), kDash);
        //: Fact of the detail page: caption of the system requirement
        facts.emplace_back(tr("Requires"), requirement);
        //: Fact of the detail page: caption of the price
        facts.emplace_back(tr("Price"), tr("To Be Announced"));
        return facts;
    }

    QString version = kDash;
    if (entry.installed && latest && status == Status::updateAvailable) {
        version = QString::fromStdString(entry.installed->version) + QStringLiteral(" → ") +
                  QString::fromStdString(latest->version);
    } else if (entry.installed) {
        version = QString::fromStdString(entry.installed->version);
    } else if (latest) {
        version = QString::fromStdString(latest->version);
    }
    const QString release =
        latest && latest->date ? LocaleFormat::releaseDate(*latest->date) : kDash;
    const QString download =
        latest && latest->length
            ? LocaleFormat::byteCount(static_cast<uint64_t>(std::max<int64_t>(0, *latest->length)))
            : kDash;
    //: Fact of the detail page: caption of the version
    facts.emplace_back(tr("Version"), version);
    facts.emplace_back(tr("Release"), release);
    facts.emplace_back(tr("Download"), download);
    facts.emplace_back(tr("Requires"), requirement);
    //: Fact of the detail page: what every app costs
    const QString free = tr("Free");
    facts.emplace_back(tr("Price"), free);
    return facts;
}

QString FactStrip::majorSystem(const AppEntry& entry) {
    // An empty minimum in the feed says nothing; the catalog's then holds.
    const std::string& text =
        entry.latest && entry.latest->minimumSystem && !entry.latest->minimumSystem->empty()
            ? *entry.latest->minimumSystem
            : entry.app.minimumSystem;
    const QString whole = QString::fromStdString(text);
    const QStringList pieces = whole.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    return pieces.isEmpty() ? whole : pieces.front();
}

double FactStrip::cellWidth(int width) const {
    if (cells_.empty()) {
        return 0;
    }
    const auto n = static_cast<double>(cells_.size());
    return std::max(0.0, (width - (n - 1) * kSeparator) / n);
}

QSize FactStrip::sizeHint() const {
    int widest = 0;
    for (QWidget* cell : cells_) {
        widest = std::max(widest, asCell(cell)->idealWidth());
    }
    const int n = static_cast<int>(cells_.size());
    const int width = n == 0 ? 0 : n * widest + (n - 1) * kSeparator;
    return {width, heightForWidth(width)};
}

QSize FactStrip::minimumSizeHint() const {
    const int n = static_cast<int>(cells_.size());
    const int width = n == 0 ? 0 : n * kMinimumCell + (n - 1) * kSeparator;
    return {width, heightForWidth(width)};
}

bool FactStrip::hasHeightForWidth() const {
    return true;
}

int FactStrip::heightForWidth(int width) const {
    const int cell = static_cast<int>(std::floor(cellWidth(width)));
    int height = 0;
    for (QWidget* widget : cells_) {
        height = std::max(height, asCell(widget)->heightFor(cell));
    }
    return height;
}

void FactStrip::paintEvent(QPaintEvent* event) {
    SurfacePanel::paintEvent(event);
    QPainter painter(this);
    const QColor line = Hairline::color(palette());
    const double cell = cellWidth(width());
    for (size_t i = 1; i < cells_.size(); ++i) {
        const auto x = static_cast<int>(std::lround(static_cast<double>(i) * (cell + kSeparator)));
        QRect separator(x - kSeparator, 0, kSeparator, height());
        painter.fillRect(QStyle::visualRect(layoutDirection(), rect(), separator), line);
    }
}

void FactStrip::resizeEvent(QResizeEvent* event) {
    SurfacePanel::resizeEvent(event);
    placeCells();
}

void FactStrip::placeCells() {
    const double cell = cellWidth(width());
    for (size_t i = 0; i < cells_.size(); ++i) {
        const double left = static_cast<double>(i) * (cell + kSeparator);
        const int x = static_cast<int>(std::lround(left));
        const int right = static_cast<int>(std::lround(left + cell));
        QRect frame(x, 0, right - x, height());
        cells_[i]->setGeometry(QStyle::visualRect(layoutDirection(), rect(), frame));
    }
}

} // namespace kestle::app
