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
#include <QVBoxLayout>

#include "feeds/ReleaseNotes.hpp"
#include "views/detail/ReleaseSection.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/LocaleFormat.hpp"

namespace kestle::app {

namespace {

constexpr qreal kTitleSize = 15;
constexpr qreal kTextSize = 13;
constexpr int kSpacing = 10;
constexpr int kSectionSpacing = 14;
constexpr int kListWidth = 560;

} // namespace

ReleaseNotesView::ReleaseNotesView(QWidget* parent)
    : QWidget(parent), title_(new HeadingLabel({}, this)),
      date_(new ToneLabel(ToneLabel::Tone::secondary, this)), list_(new QWidget(this)),
      listLayout_(new QVBoxLayout(list_)),
      earlier_(new ToneLabel(ToneLabel::Tone::secondary, list_)) {
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
    listLayout_->setSpacing(kSectionSpacing);
    list_->setMaximumWidth(kListWidth);
    earlier_->setFont(KestleStyle::font(kTextSize, QFont::Normal));
    earlier_->setWordWrap(true);
    listLayout_->addWidget(earlier_);
    earlier_->hide();

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
    earlier_->hide();
    if (items.empty()) {
        hideSectionsFrom(0);
        return false;
    }
    //: Heading of the release notes on the detail page: the latest version
    title_->setText(tr("What’s New in %1").arg(QString::fromStdString(item->version)));
    date_->setText(item->date ? LocaleFormat::releaseDate(*item->date) : QString());
    date_->setVisible(item->date.has_value());
    sectionAt(0)->setRelease(*item, items, false);
    hideSectionsFrom(1);
    return true;
}

bool ReleaseNotesView::setEntry(const AppEntry& entry, std::string_view language) {
    const std::vector<const FeedItem*> newer = entry.newerReleases();
    if (newer.size() < 2) {
        return setRelease(entry.latest, language);
    }
    int shown = 0;
    size_t listed = 0; // releases up to the last one shown
    for (size_t i = 0; i < newer.size() && shown < maxSections; ++i) {
        std::optional<std::string> notes = newer[i]->notesFor(language);
        std::vector<std::string> items =
            notes ? ReleaseNotes::items(*notes) : std::vector<std::string>{};
        if (!items.empty()) {
            sectionAt(shown++)->setRelease(*newer[i], items, true);
            listed = i + 1;
        }
    }
    hideSectionsFrom(shown);
    if (shown == 0) {
        earlier_->hide();
        return false;
    }
    //: Heading of the release notes of an update that skips versions: the installed version
    title_->setText(
        tr("What’s New Since %1").arg(QString::fromStdString(entry.installed->version)));
    date_->hide();
    const int rest = static_cast<int>(newer.size() - listed);
    if (rest > 0) {
        //: After the notes of the newest releases: how many older ones the update also brings
        earlier_->setText(tr("and %n earlier versions", nullptr, rest));
    }
    earlier_->setVisible(rest > 0);
    return true;
}

ReleaseSection* ReleaseNotesView::sectionAt(int index) {
    while (sections_.size() <= static_cast<size_t>(index)) {
        auto* section = new ReleaseSection(list_);
        // Before the count of the releases not listed.
        listLayout_->insertWidget(listLayout_->count() - 1, section);
        sections_.push_back(section);
    }
    ReleaseSection* section = sections_[static_cast<size_t>(index)];
    section->show();
    return section;
}

void ReleaseNotesView::hideSectionsFrom(int index) {
    shownSections_ = index;
    for (size_t i = static_cast<size_t>(index); i < sections_.size(); ++i) {
        sections_[i]->hide();
    }
}

QString ReleaseNotesView::title() const {
    return title_->text();
}

QString ReleaseNotesView::dateText() const {
    return date_->isHidden() ? QString() : date_->text();
}

ReleaseSection* ReleaseNotesView::section(int index) const {
    if (index < 0 || index >= shownSections_) {
        return nullptr;
    }
    return sections_[static_cast<size_t>(index)];
}

QString ReleaseNotesView::earlierText() const {
    return earlier_->isHidden() ? QString() : earlier_->text();
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
