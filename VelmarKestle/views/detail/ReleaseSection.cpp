#include "views/detail/ReleaseSection.hpp"

#include <algorithm>

#include <QEvent>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

#include "views/controls/SiteLink.hpp"
#include "views/detail/ReleaseNotesView.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kHeadingSize = 13;
constexpr qreal kTextSize = 13;
constexpr int kHeadingSpacing = 8;
constexpr int kItemSpacing = 6;
constexpr int kBulletSpacing = 8;

// One bullet's text: rich when the item is plain inline Markdown, else the item
// verbatim. The link colour follows the palette, so the text is rebuilt with it.
class NoteText : public QLabel {
public:
    explicit NoteText(QWidget* parent) : QLabel(parent) {
        setWordWrap(true);
        setFont(KestleStyle::font(kTextSize, QFont::Normal));
        setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        connect(this, &QLabel::linkActivated, this, [](const QString& link) {
            QUrl url(link);
            // A relative link has nowhere to go outside the page it was written for.
            if (url.isValid() && !url.scheme().isEmpty()) {
                SiteLink::openUrl(url);
            }
        });
    }

    void setItem(const QString& item) {
        item_ = item;
        render();
    }

protected:
    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
            render();
        }
    }

private:
    void render() {
        QColor link = VelmarTheme::color(VelmarTheme::Color::accent, palette());
        if (auto html = ReleaseNotesView::itemHtml(item_, font(), link)) {
            if (textFormat() != Qt::RichText || text() != *html) {
                setTextFormat(Qt::RichText);
                setText(*html);
            }
        } else {
            setTextFormat(Qt::PlainText);
            setText(item_);
        }
        setAccessibleName(item_);
    }

    QString item_;
};

} // namespace

ReleaseSection::ReleaseSection(QWidget* parent)
    : QWidget(parent), header_(new QWidget(this)), heading_(new HeadingLabel({}, header_)),
      date_(new ToneLabel(ToneLabel::Tone::secondary, header_)) {
    heading_->setFont(KestleStyle::font(kHeadingSize, QFont::DemiBold));
    date_->setFont(KestleStyle::font(kTextSize, QFont::Normal));
    auto* header = new QHBoxLayout(header_);
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(kHeadingSpacing);
    // Same size and top edge, so the date sits on the heading's baseline.
    header->addWidget(heading_, 0, Qt::AlignTop);
    header->addWidget(date_, 0, Qt::AlignTop);
    header->addStretch(1);

    listLayout_ = new QVBoxLayout(this);
    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(kItemSpacing);
    listLayout_->addWidget(header_);
    header_->hide();
}

void ReleaseSection::setRelease(const FeedItem& item, const std::vector<std::string>& items,
                                bool headed) {
    version_ = QString::fromStdString(item.version);
    date_->setText(item.date ? LocaleFormat::releaseDate(*item.date) : QString());
    date_->setVisible(item.date.has_value());
    header_->setVisible(headed);
    retranslate();

    shownItems_ = static_cast<int>(items.size());
    while (rows_.size() < items.size()) {
        auto* row = new QWidget(this);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(kBulletSpacing);
        auto* bullet = new ToneLabel(ToneLabel::Tone::secondary, row);
        bullet->setText(QStringLiteral("•"));
        bullet->setFont(KestleStyle::font(kTextSize, QFont::Normal));
        bullet->setAccessibleName({});
        auto* text = new NoteText(row);
        // Same font and top edge, so the bullet sits on the text's first baseline.
        layout->addWidget(bullet, 0, Qt::AlignTop);
        layout->addWidget(text, 1, Qt::AlignTop);
        listLayout_->addWidget(row);
        rows_.push_back(row);
        texts_.push_back(text);
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        const bool shown = i < items.size();
        if (shown) {
            static_cast<NoteText*>(texts_[i])->setItem(QString::fromStdString(items[i]));
        }
        rows_[i]->setVisible(shown);
    }
}

void ReleaseSection::retranslate() {
    //: Heading of one release's notes when the detail page lists several: its version
    heading_->setText(tr("Version %1").arg(version_));
}

QString ReleaseSection::heading() const {
    return header_->isHidden() ? QString() : heading_->text();
}

QString ReleaseSection::dateText() const {
    return date_->isHidden() ? QString() : date_->text();
}

QLabel* ReleaseSection::itemLabel(int index) const {
    if (index < 0 || index >= shownItems_) {
        return nullptr;
    }
    return texts_[static_cast<size_t>(index)];
}

} // namespace kestle::app
