#include "views/menubar/TrayIcon.hpp"

#include <QCursor>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "Logging.hpp"
#include "views/components/KestleGlyph.hpp"
#include "views/menubar/MenuBarContent.hpp"

namespace kestle::app {

namespace {

const QString kIconName = QStringLiteral("KestleMenuIcon-symbolic");
const QString kTitle = QStringLiteral("VelmarKestle");

QIcon drawnIcon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF rect(0, 0, side, side);
        for (GlyphPart part : {GlyphPart::tent, GlyphPart::arrow}) {
            painter.fillPath(KestleGlyph::path(part, rect), QColor(0x2e, 0x34, 0x36));
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

TrayIcon::TrayIcon(MenuBarContent& content, std::shared_ptr<PreferenceStore> defaults,
                   const std::filesystem::path& bundle, QObject* parent)
    : QObject(parent), content_(content), defaults_(std::move(defaults)),
      tray_(std::make_unique<QSystemTrayIcon>()) {
    // Set before anything is shown: some hosts never take a later menu.
    tray_->setContextMenu(content_.menu());
    tray_->setIcon(panelIcon(bundle));
    tray_->setToolTip(kTitle);
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                // Hosts open the menu themselves on a context click; a plain click
                // arrives as Trigger and opens it here.
                if (reason == QSystemTrayIcon::Trigger && !content_.menu()->isVisible()) {
                    content_.menu()->popup(QCursor::pos());
                }
            });
    available_ = QSystemTrayIcon::isSystemTrayAvailable();
    wanted_ = defaults_ ? defaults_->boolean(preference).value_or(true) : true;
    if (!available_) {
        qCInfo(lcApp, "No system tray: the window is the whole interface");
    }
    update();
}

TrayIcon::~TrayIcon() = default;

QIcon TrayIcon::panelIcon(const std::filesystem::path& bundle) {
    const QString file = QString::fromStdString(
        (bundle / "Contents/Resources/icons" / "KestleMenuIcon-symbolic.svg").string());
    QIcon fallback = QFile::exists(file) ? QIcon(file) : QIcon();
    if (fallback.pixmap(16).isNull()) {
        fallback = drawnIcon();
    }
    return QIcon::fromTheme(kIconName, fallback);
}

bool TrayIcon::isShown() const {
    return tray_->isVisible();
}

void TrayIcon::setShown(bool shown) {
    wanted_ = shown;
    if (defaults_) {
        defaults_->set(preference, shown);
    }
    update();
}

void TrayIcon::update() {
    const bool shown = wanted_ && available_;
    if (tray_->isVisible() != shown) {
        tray_->setVisible(shown);
        emit shownChanged(shown);
    }
}

} // namespace kestle::app
