#include "views/terms/TipPromptView.hpp"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "support/PreferenceStore.hpp"
#include "views/components/Decorative.hpp"
#include "views/components/KestleGlyph.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"
#include "views/terms/KofiImageButton.hpp"

namespace kestle::app {

namespace {

constexpr int kSide = 32;
constexpr int kTop = 32;
constexpr int kBottom = 24;
constexpr int kSpacing = 18;
constexpr int kIconSize = 64;
constexpr int kTipHeight = 44;

QLabel* centred(const QString& text, const QFont& font, ToneLabel::Tone tone, QWidget* parent) {
    auto* label = new ToneLabel(tone, parent);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter);
    label->setFont(font);
    return label;
}

QVBoxLayout* stack(int spacing) {
    auto* column = new QVBoxLayout;
    column->setSpacing(spacing);
    column->setContentsMargins(0, 0, 0, 0);
    return column;
}

} // namespace

TipPromptView::TipPromptView(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      tip_(new KofiImageButton(kTipHeight, this)),
      notNow_(new KestleButton(tr("Not Now"), false, false, this)) {
    setObjectName(QStringLiteral("tipPrompt"));
    //: Title of the quit-time tip panel (not shown: the panel has no title bar)
    setWindowTitle(tr("Thank you for using VelmarKestle"));
    setFixedWidth(panelWidth);
    setModal(true);

    auto* icon = new QLabel(this);
    // The windows' icon is the glyph; drawn here when none was set (a test, an embedding).
    const QIcon windowIcon = QApplication::windowIcon();
    icon->setPixmap(windowIcon.isNull() ? QPixmap::fromImage(KestleGlyph::image(kIconSize))
                                        : windowIcon.pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    icon->setAlignment(Qt::AlignCenter);
    // The title says whose panel this is.
    Decorative::mark(*icon);

    auto* title = centred(tr("Thank you for using VelmarKestle"),
                          KestleStyle::font(15, QFont::DemiBold), ToneLabel::Tone::primary, this);
    title->setAccessibleName(title->text());
    auto* words = stack(6);
    words->addWidget(title);
    words->addWidget(centred(tr("VelmarKestle is free. If you find it useful, you can support the "
                                "project by buying me a coffee."),
                             KestleStyle::font(13, QFont::Normal), ToneLabel::Tone::secondary,
                             this));

    auto* tipColumn = stack(10);
    tipColumn->addWidget(tip_, 0, Qt::AlignHCenter);
    tipColumn->addWidget(centred(tr("Opens Ko-fi in your browser."),
                                 KestleStyle::font(11, QFont::Normal), ToneLabel::Tone::secondary,
                                 this));

    notNow_->setFont(KestleStyle::font(14, QFont::Normal));

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kSide, kTop, kSide, kBottom);
    column->setSpacing(kSpacing);
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addLayout(words);
    column->addLayout(tipColumn);
    column->addWidget(notNow_, 0, Qt::AlignHCenter);
    // As high as the wrapped texts need at the fixed width.
    setFixedHeight(column->totalHeightForWidth(panelWidth));

    connect(tip_, &QAbstractButton::clicked, this, &QDialog::accept);
    connect(notNow_, &QAbstractButton::clicked, this, &QDialog::reject);
    tip_->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool TipPromptView::isNeeded(bool userQuit, bool termsAccepted, const PreferenceStore* defaults,
                             const QString& version) {
    if (!userQuit || !termsAccepted) {
        return false;
    }
    const std::optional<std::string> opened =
        defaults != nullptr ? defaults->string(preference) : std::nullopt;
    return !opened || QString::fromStdString(*opened) != version;
}

void TipPromptView::keyPressEvent(QKeyEvent* event) {
    // A focused button takes Return itself; elsewhere Return is the tip button's.
    // Escape is "Not Now" (QDialog's).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TipPromptView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), VelmarTheme::color(VelmarTheme::Color::surface, palette()));
}

void TipPromptView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        // A compositor moves the window itself where it can (Wayland has no positions).
        if (windowHandle() != nullptr && windowHandle()->startSystemMove()) {
            return;
        }
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(event);
}

void TipPromptView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    dragging_ = false;
    QDialog::mouseMoveEvent(event);
}

} // namespace kestle::app
