#pragma once

#include <memory>
#include <optional>

#include <QIcon>
#include <QImage>
#include <QWidget>

#include "apps/AppEntry.hpp"
#include "support/Url.hpp"

class QSvgRenderer;

namespace kestle::app {

// The icon of an app, size x size points: the installed bundle's own icon, else the
// catalog's icon (a local file read at once, a remote one fetched in the background and
// kept in memory for every view), else a quiet rounded placeholder.
class AppIconView : public QWidget {
    Q_OBJECT

public:
    // What is being shown.
    enum class Source {
        bundle,            // the installed bundle's icon, filling the frame
        catalogFile,       // a local catalog icon
        remote,            // a remote catalog icon, loaded
        placeholder,       // no icon, or a local one that did not load
        remotePlaceholder, // a remote icon still loading or that failed
    };

    AppIconView(AppEntry entry, std::optional<Url> catalogIcon, qreal size,
                QWidget* parent = nullptr);
    ~AppIconView() override;

    void setIcon(AppEntry entry, std::optional<Url> catalogIcon);
    qreal iconSize() const { return size_; }
    void setIconSize(qreal size);

    Source source() const { return source_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void resolve();
    void display(Source source, QImage image, const QByteArray& svg, QIcon icon);

    AppEntry entry_;
    std::optional<Url> catalogIcon_;
    qreal size_;
    Source source_ = Source::placeholder;
    QImage image_;
    std::unique_ptr<QSvgRenderer> svg_;
    QIcon icon_;
    // Tells a late remote load which request it answers.
    int serial_ = 0;
};

} // namespace kestle::app
