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

#include "feeds/FeedItem.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/ToneLabel.hpp"

class QTextDocument;
class QVBoxLayout;

namespace kestle::app {

// "What's New" of the latest release: a heading with the release date, then one bullet
// per item of the notes, each read as inline Markdown.
class ReleaseNotesView : public QWidget {
    Q_OBJECT

public:
    explicit ReleaseNotesView(QWidget* parent = nullptr);

    // Shows the release's notes in that language (or the fallback the item picks);
    // false when there are none to show.
    bool setRelease(const std::optional<FeedItem>& item, std::string_view language);

    QString title() const;
    QString dateText() const;
    int itemCount() const { return shownItems_; }
    // The text of one bullet, rich or plain.
    QLabel* itemLabel(int index) const;

    // The item read as inline Markdown, or nothing when it reads as more than one plain
    // paragraph (a heading, list, quote, code block, rule or image).
    static std::unique_ptr<QTextDocument> inlineMarkdown(const QString& item);
    // The rich text a label shows for the item, links in the given colour; nothing
    // when the item is to be shown as plain text.
    static std::optional<QString> itemHtml(const QString& item, const QFont& font,
                                           const QColor& link);

private:
    HeadingLabel* title_;
    ToneLabel* date_;
    QWidget* list_;
    QVBoxLayout* listLayout_;
    std::vector<QWidget*> rows_;
    std::vector<QLabel*> texts_;
    int shownItems_ = 0;
};

} // namespace kestle::app
