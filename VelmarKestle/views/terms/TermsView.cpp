#include "views/terms/TermsView.hpp"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "model/KestleModel.hpp"
#include "views/components/Hairline.hpp"
#include "views/components/KestleGlyph.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/controls/KestleButton.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kWidth = 560;
constexpr int kPadding = 28;
constexpr int kSpacing = 20;
constexpr int kBoxPadding = 16;
constexpr qreal kBoxRadius = 12;

// The warranty paragraph's box: the window colour, faint, with a fainter hairline.
class LiabilityBox : public QWidget {
public:
    explicit LiabilityBox(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = palette().color(QPalette::Window);
        fill.setAlphaF(0.55f);
        QColor line = Hairline::color(palette());
        line.setAlphaF(line.alphaF() * 0.6f);
        painter.setPen(QPen(line, 1));
        painter.setBrush(fill);
        painter.drawPath(
            KestleStyle::roundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kBoxRadius));
    }
};

QLabel* wrapping(const QString& text, QFont font, QWidget* parent, bool secondary) {
    auto* label =
        new ToneLabel(secondary ? ToneLabel::Tone::secondary : ToneLabel::Tone::primary, parent);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    return label;
}

} // namespace

TermsView::TermsView(KestleModel& model, std::function<void()> openTerms,
                     std::function<void()> accepted, std::function<void()> quit, QWidget* parent)
    : QWidget(parent), model_(model), accepted_(std::move(accepted)), quit_(std::move(quit)),
      acceptsTerms_(new QCheckBox(tr("I have read and accept the terms of use."), this)),
      approvesLiability_(new QCheckBox(this)),
      accept_(new KestleButton(tr("Accept"), true, false, this)) {
    setObjectName(QString::fromLatin1(identifier));
    setWindowTitle(tr("Terms of Use"));
    setFixedWidth(kWidth);

    auto* brandRow = new QHBoxLayout;
    brandRow->setSpacing(8);
    auto* glyph = new KestleGlyph(this);
    glyph->setFixedSize(22, 22);
    auto* brand = new QLabel(QStringLiteral("VelmarKestle"), this);
    brand->setFont(KestleStyle::font(13, QFont::DemiBold));
    brandRow->addWidget(glyph);
    brandRow->addWidget(brand);
    brandRow->addStretch(1);

    auto* title = new QLabel(tr("Terms of Use"), this);
    title->setFont(KestleStyle::font(22, QFont::DemiBold));
    auto* intro =
        wrapping(tr("VelmarKestle is free. Before you use it, read and accept the terms of use."),
                 KestleStyle::font(13, QFont::Normal), this, true);
    auto* read = new QPushButton(tr("Read the Terms of Use"), this);
    read->setFlat(true);
    read->setCursor(Qt::PointingHandCursor);
    read->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; text-align: left; }"));
    KestleStyle::setColor(*read, QPalette::ButtonText,
                          VelmarTheme::color(VelmarTheme::Color::accent, palette()));
    connect(read, &QPushButton::clicked, this, [openTerms] {
        if (openTerms) {
            openTerms();
        }
    });
    auto* heading = new QVBoxLayout;
    heading->setSpacing(6);
    heading->addWidget(title);
    heading->addWidget(intro);
    heading->addWidget(read, 0, Qt::AlignLeft);

    auto* box = new LiabilityBox(this);
    auto* boxColumn = new QVBoxLayout(box);
    boxColumn->setContentsMargins(kBoxPadding, kBoxPadding, kBoxPadding, kBoxPadding);
    boxColumn->setSpacing(8);
    boxColumn->addWidget(
        wrapping(tr("Warranty and Liability"), KestleStyle::font(13, QFont::Medium), box, false));
    boxColumn->addWidget(wrapping(
        tr("VelmarKestle is distributed for free in the hope that it will be useful, but as is "
           "and without warranties. We aren't liable for damages arising from its use, including "
           "data loss and interruptions. This exclusion applies to the extent permitted by law "
           "and doesn't affect your rights as a consumer."),
        KestleStyle::font(12, QFont::Normal), box, true));

    // QCheckBox cannot wrap its text; a label beside an unlabelled box can.
    auto* liabilityRow = new QHBoxLayout;
    liabilityRow->setSpacing(6);
    auto* liabilityText = wrapping(
        tr("I specifically approve the Warranty and Liability section (articles 1341 and 1342 "
           "of the Italian Civil Code)."),
        font(), this, false);
    liabilityText->setBuddy(approvesLiability_);
    approvesLiability_->setAccessibleName(liabilityText->text());
    liabilityRow->addWidget(approvesLiability_, 0, Qt::AlignTop);
    liabilityRow->addWidget(liabilityText, 1);
    auto* checks = new QVBoxLayout;
    checks->setSpacing(10);
    checks->addWidget(acceptsTerms_);
    checks->addLayout(liabilityRow);

    auto* quitButton = new KestleButton(tr("Quit"), false, false, this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(quitButton);
    buttons->addWidget(accept_);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);
    column->addLayout(brandRow);
    column->addLayout(heading);
    column->addWidget(box);
    column->addLayout(checks);
    column->addLayout(buttons);

    connect(acceptsTerms_, &QCheckBox::toggled, this, &TermsView::refresh);
    connect(approvesLiability_, &QCheckBox::toggled, this, &TermsView::refresh);
    connect(liabilityText, &QLabel::linkActivated, approvesLiability_, &QCheckBox::toggle);
    connect(quitButton, &QAbstractButton::clicked, this, [this] { quit_(); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { quit_(); });
    auto acceptNow = [this] {
        if (!accept_->isEnabled()) {
            return;
        }
        model_.acceptTerms();
        if (accepted_) {
            accepted_();
        }
        close();
    };
    connect(accept_, &QAbstractButton::clicked, this, acceptNow);
    connect(new QShortcut(QKeySequence(Qt::Key_Return), this), &QShortcut::activated, this,
            acceptNow);
    refresh();
}

void TermsView::refresh() {
    accept_->setEnabled(acceptsTerms_->isChecked() && approvesLiability_->isChecked());
}

void TermsView::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!model_.termsAccepted() && quit_) {
        quit_();
    }
}

void TermsView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), VelmarTheme::color(VelmarTheme::Color::surface, palette()));
}

} // namespace kestle::app
