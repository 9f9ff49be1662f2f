#include "views/settings/SettingsView.hpp"

#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/settings/SettingsSidebar.hpp"
#include "views/settings/UpdateSettings.hpp"
#include "views/style/KestleStyle.hpp"

namespace kestle::app {

namespace {

constexpr int kHeadingPaddingX = 20;
constexpr int kHeadingPaddingTop = 18;

QScrollArea* scrolling(QWidget* page, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    // The controls inside take the focus, and the area follows them.
    area->setFocusPolicy(Qt::NoFocus);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The page behind the form is the window's own background.
    area->viewport()->setAutoFillBackground(false);
    area->setAutoFillBackground(false);
    return area;
}

} // namespace

SettingsView::SettingsView(KestleModel& model, GeneralSettings::Services general, DailyCheck& daily,
                           SelfUpdater* updater, int height, QWidget* parent)
    : QWidget(parent), model_(model), sidebar_(new SettingsSidebar(this)),
      title_(new HeadingLabel({}, this)),
      subtitle_(new ToneLabel(ToneLabel::Tone::secondary, this)), pages_(new QStackedWidget(this)) {
    setObjectName(QString::fromLatin1(identifier));
    setFixedSize(fixedWidth, height);
    const QString version = general.versionText;
    general_ = new GeneralSettings(std::move(general));
    updates_ = new UpdateSettings(model_, daily, updater, version);
    pages_->addWidget(scrolling(general_, pages_));
    pages_->addWidget(scrolling(updates_, pages_));

    title_->setFont(KestleStyle::font(20, QFont::DemiBold));
    subtitle_->setFont(KestleStyle::font(12, QFont::Normal));
    subtitle_->setWordWrap(true);

    auto* heading = new QVBoxLayout;
    heading->setContentsMargins(kHeadingPaddingX, kHeadingPaddingTop, kHeadingPaddingX, 0);
    heading->setSpacing(3);
    heading->addWidget(title_);
    heading->addWidget(subtitle_);
    auto* content = new QVBoxLayout;
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);
    content->addLayout(heading);
    content->addWidget(pages_, 1);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sidebar_);
    row->addLayout(content, 1);

    const auto& defaults = model_.defaults();
    const SettingsSection stored = SettingsSections::from(defaults ? defaults->string(selectionKey)
                                                                   : std::optional<std::string>());
    sidebar_->select(stored);
    showSection(stored);
    connect(sidebar_, &SettingsSidebar::selectedChanged, this, [this](SettingsSection section) {
        if (const auto& store = model_.defaults()) {
            store->set(selectionKey, std::string(SettingsSections::rawValue(section)));
        }
        showSection(section);
    });
}

SettingsSection SettingsView::selected() const {
    return sidebar_->selected();
}

void SettingsView::select(SettingsSection section) {
    sidebar_->select(section);
}

void SettingsView::showSection(SettingsSection section) {
    const QString title = SettingsSections::title(section);
    title_->setText(title);
    title_->setAccessibleName(title);
    subtitle_->setText(SettingsSections::subtitle(section));
    setWindowTitle(title);
    pages_->setCurrentIndex(section == SettingsSection::updates ? 1 : 0);
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Opened from the tray or the menu, the window comes to the front with the app.
    if (isWindow()) {
        raise();
        activateWindow();
    }
}

void SettingsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

} // namespace kestle::app
