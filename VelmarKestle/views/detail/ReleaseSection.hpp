#pragma once

#include <string>
#include <vector>

#include <QLabel>
#include <QString>
#include <QWidget>

#include "feeds/FeedItem.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/ToneLabel.hpp"

class QVBoxLayout;

namespace kestle::app {

// The notes of one release: one bullet per item, each read as inline Markdown, under
// a heading with the release's version and date when the page lists several.
class ReleaseSection : public QWidget {
    Q_OBJECT

public:
    explicit ReleaseSection(QWidget* parent = nullptr);

    // The release and its note items (ReleaseNotes::items of its notes), headed or not.
    void setRelease(const FeedItem& item, const std::vector<std::string>& items, bool headed);

    // Empty while not headed.
    QString heading() const;
    QString dateText() const;
    int itemCount() const { return shownItems_; }
    // The text of one bullet, rich or plain.
    QLabel* itemLabel(int index) const;

private:
    void retranslate();

    QWidget* header_;
    HeadingLabel* heading_;
    ToneLabel* date_;
    QVBoxLayout* listLayout_;
    std::vector<QWidget*> rows_;
    std::vector<QLabel*> texts_;
    int shownItems_ = 0;
    QString version_;
};

} // namespace kestle::app
