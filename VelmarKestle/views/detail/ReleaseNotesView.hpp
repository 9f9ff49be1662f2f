#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "feeds/FeedItem.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/ToneLabel.hpp"

class QTextDocument;
class QVBoxLayout;

namespace kestle::app {

class ReleaseSection;

// "What's New": the notes of the latest release under a heading with its date or, for
// an update that skips versions, the notes of each release it brings, newest first.
class ReleaseNotesView : public QWidget {
    Q_OBJECT

public:
    // Releases listed at most; the older ones are only counted.
    static constexpr int maxSections = 10;

    explicit ReleaseNotesView(QWidget* parent = nullptr);

    // Shows the release's notes in that language (or the fallback the item picks);
    // false when there are none to show.
    bool setRelease(const std::optional<FeedItem>& item, std::string_view language);
    // What the entry's page shows: every release an update brings that has notes,
    // else the latest's; false when there are none to show.
    bool setEntry(const AppEntry& entry, std::string_view language);

    QString title() const;
    QString dateText() const;
    int sectionCount() const { return shownSections_; }
    ReleaseSection* section(int index) const;
    // The line counting the releases not listed; empty when there is none.
    QString earlierText() const;

    // The item read as inline Markdown, or nothing when it reads as more than one plain
    // paragraph (a heading, list, quote, code block, rule or image).
    static std::unique_ptr<QTextDocument> inlineMarkdown(const QString& item);
    // The rich text a label shows for the item, links in the given colour; nothing
    // when the item is to be shown as plain text.
    static std::optional<QString> itemHtml(const QString& item, const QFont& font,
                                           const QColor& link);

private:
    // The section for the next release, made when first needed.
    ReleaseSection* sectionAt(int index);
    void hideSectionsFrom(int index);

    HeadingLabel* title_;
    ToneLabel* date_;
    QWidget* list_;
    QVBoxLayout* listLayout_;
    ToneLabel* earlier_;
    std::vector<ReleaseSection*> sections_;
    int shownSections_ = 0;
};

} // namespace kestle::app
