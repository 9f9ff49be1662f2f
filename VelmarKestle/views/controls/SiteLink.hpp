#pragma once

#include <functional>

#include <QFont>
#include <QString>
#include <QUrl>

#include "support/Url.hpp"
#include "views/controls/PlainButton.hpp"

namespace kestle::app {

// A link to a web page: the label and a small arrow pointing out of the window, in
// the accent colour, with the address as its tooltip. Clicking opens the page.
class SiteLink : public PlainButton {
    Q_OBJECT

public:
    SiteLink(const Url& site, const QString& label, const QFont& font, QWidget* parent = nullptr);

    const Url& site() const { return site_; }
    void setSite(const Url& site);

    // How a link reaches the browser; tests replace it so nothing opens.
    static std::function<void(const QUrl&)> openUrl;

private:
    Url site_;
};

} // namespace kestle::app
