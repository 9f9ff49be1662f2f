#include "views/detail/ReleaseNotesView.hpp"

#include <utility>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <QVBoxLayout>

#include "feeds/ReleaseNotes.hpp"
#include "views/controls/SiteLink.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr qreal kTitleSize = 15;
constexpr qreal kTextSize = 13;
constexpr int kSpacing = 10;
constexpr int kItemSpacing = 6;
constexpr int kBulletSpacing = 8;
constexpr int kListWidth = 560;

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

ReleaseNotesView::ReleaseNotesView(QWidget* parent)
    : QWidget(parent), title_(new HeadingLabel({}, this)),
      date_(new ToneLabel(ToneLabel::Tone::secondary, this)), list_(new QWidget(this)),
      listLayout_(new QVBoxLayout(list_)) {
    title_->setFont(KestleStyle::font(kTitleSize, QFont::Bold));
    date_->setFont(KestleStyle::font(kTextSize, QFont::Normal));
    // The date shares the title's first baseline.
    const int drop = QFontMetrics(title_->font()).ascent() - QFontMetrics(date_->font()).ascent();
    date_->setContentsMargins(0, std::max(0, drop), 0, 0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(kSpacing);
    header->addWidget(title_, 0, Qt::AlignTop);
    header->addWidget(date_, 0, Qt::AlignTop);
    header->addStretch(1);

    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(kItemSpacing);
    list_->setMaximumWidth(kListWidth);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(kSpacing);
    column->addLayout(header);
    // In a row beside a stretch, the list's height is asked for the width it really
    // gets, which its maximum caps; a wrapping item would otherwise be cut.
    auto* listRow = new QHBoxLayout;
    listRow->setContentsMargins(0, 0, 0, 0);
    listRow->addWidget(list_, 1);
    listRow->addStretch(0);
    column->addLayout(listRow);
}

bool ReleaseNotesView::setRelease(const std::optional<FeedItem>& item, std::string_view language) {
    std::optional<std::string> notes = item ? item->notesFor(language) : std::nullopt;
    std::vector<std::string> items =
        notes ? ReleaseNotes::items(*notes) : std::vector<std::string>{};
    shownItems_ = static_cast<int>(items.size());
    if (items.empty()) {
        return false;
    }
    //: Heading of the release notes on the detail page: the latest version
    title_->setText(tr("What’s New in %1").arg(QString::fromStdString(item->version)));
    date_->setText(item->date ? LocaleFormat::releaseDate(*item->date) : QString());
    date_->setVisible(item->date.has_value());

    while (rows_.size() < items.size()) {
        auto* row = new QWidget(list_);
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
    return true;
}

QString ReleaseNotesView::title() const {
    return title_->text();
}

QString ReleaseNotesView::dateText() const {
    return date_->isHidden() ? QString() : date_->text();
}

QLabel* ReleaseNotesView::itemLabel(int index) const {
    if (index < 0 || index >= shownItems_) {
        return nullptr;
    }
    return texts_[static_cast<size_t>(index)];
}

std::unique_ptr<QTextDocument> ReleaseNotesView::inlineMarkdown(const QString& item) {
    auto document = std::make_unique<QTextDocument>();
    // Raw HTML stays literal text; the notes are the maker's words, not markup.
    document->setMarkdown(item,
                          QTextDocument::MarkdownFeatures(QTextDocument::MarkdownDialectCommonMark |
                                                          QTextDocument::MarkdownNoHTML));
    if (document->blockCount() != 1 || !document->rootFrame()->childFrames().isEmpty()) {
        return nullptr;
    }
    const QTextBlock block = document->firstBlock();
    const QTextBlockFormat format = block.blockFormat();
    const bool blockSyntax = format.headingLevel() > 0 || block.textList() != nullptr ||
                             format.hasProperty(QTextFormat::BlockQuoteLevel) ||
                             format.hasProperty(QTextFormat::BlockCodeFence) ||
                             format.hasProperty(QTextFormat::BlockCodeLanguage) ||
                             format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth);
    // An image becomes an object character; an opened fence swallows the text.
    const QString text = block.text();
    const bool lostText = text.trimmed().isEmpty() && !item.trimmed().isEmpty();
    if (blockSyntax || lostText || text.contains(QChar::ObjectReplacementCharacter)) {
        return nullptr;
    }
    return document;
}

std::optional<QString> ReleaseNotesView::itemHtml(const QString& item, const QFont& font,
                                                  const QColor& link) {
    std::unique_ptr<QTextDocument> document = inlineMarkdown(item);
    if (!document) {
        return std::nullopt;
    }
    document->setDefaultFont(font);
    QTextCursor cursor(document.get());
    QTextBlockFormat block = cursor.blockFormat();
    block.setTopMargin(0);
    block.setBottomMargin(0);
    cursor.setBlockFormat(block);
    // Ranges first: recolouring merges fragments under a running iterator.
    std::vector<std::pair<int, int>> anchors;
    for (auto it = document->firstBlock().begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.isValid() && fragment.charFormat().isAnchor()) {
            anchors.emplace_back(fragment.position(), fragment.position() + fragment.length());
        }
    }
    QTextCharFormat colored;
    colored.setForeground(link);
    for (auto [start, end] : anchors) {
        QTextCursor range(document.get());
        range.setPosition(start);
        range.setPosition(end, QTextCursor::KeepAnchor);
        range.mergeCharFormat(colored);
    }
    return document->toHtml();
}

} // namespace kestle::app
