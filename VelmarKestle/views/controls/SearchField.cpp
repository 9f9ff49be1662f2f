#include "views/controls/SearchField.hpp"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPathStroker>

#include "views/components/Decorative.hpp"
#include "views/controls/ReturnPress.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 30;
constexpr int kPadding = 10;
constexpr int kSpacing = 6;
constexpr qreal kRadius = 8;

// The "magnifyingglass" symbol at 12 points medium: a ring with a handle to the
// lower right, in the secondary colour.
class Magnifier : public QWidget {
public:
    explicit Magnifier(QWidget* parent) : QWidget(parent) {
        setFixedSize(13, 13);
        Decorative::mark(*this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(KestleStyle::secondaryText(palette()), 1.6, Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        QRectF ring(1, 1, 8.2, 8.2);
        painter.drawEllipse(ring);
        painter.drawLine(QPointF(8.3, 8.3), QPointF(12, 12));
    }
};

// The "xmark.circle.fill" symbol as a borderless button: a filled disc with the
// cross cut out, so the field's background shows through it.
class ClearButton : public QAbstractButton {
public:
    explicit ClearButton(QWidget* parent) : QAbstractButton(parent) {
        setFixedSize(14, 14);
        setFocusPolicy(Qt::TabFocus);
        ReturnPress::install(*this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath circle;
        circle.addEllipse(disc);
        QPointF c = disc.center();
        qreal arm = disc.width() * 0.19;
        QPainterPath cross;
        cross.moveTo(c + QPointF(-arm, -arm));
        cross.lineTo(c + QPointF(arm, arm));
        cross.moveTo(c + QPointF(arm, -arm));
        cross.lineTo(c + QPointF(-arm, arm));
        QPainterPathStroker stroker;
        stroker.setWidth(1.5);
        stroker.setCapStyle(Qt::RoundCap);
        painter.fillPath(circle.subtracted(stroker.createStroke(cross)),
                         KestleStyle::secondaryText(palette()));
        KestleStyle::paintFocusRing(painter, *this, rect(), width() / 2.0);
    }
};

} // namespace

SearchField::SearchField(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(kPadding, 0, kPadding, 0);
    layout->setSpacing(kSpacing);
    layout->addWidget(new Magnifier(this), 0, Qt::AlignVCenter);

    edit_ = new QLineEdit(this);
    edit_->setFrame(false);
    edit_->setFont(KestleStyle::font(13, QFont::Normal));
    // The field's own background is drawn by this widget.
    KestleStyle::setColor(*edit_, QPalette::Base, Qt::transparent);
    edit_->installEventFilter(this);
    layout->addWidget(edit_, 1, Qt::AlignVCenter);
    setFocusProxy(edit_);

    clear_ = new ClearButton(this);
    clear_->hide();
    layout->addWidget(clear_, 0, Qt::AlignVCenter);

    connect(edit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        clear_->setVisible(!text.isEmpty());
        emit textChanged(text);
    });
    connect(clear_, &QAbstractButton::clicked, this, [this] { setText(QString()); });
    retranslate();
}

QString SearchField::text() const {
    return edit_->text();
}

void SearchField::setText(const QString& text) {
    if (edit_->text() != text) {
        edit_->setText(text);
    }
}

bool SearchField::isFocused() const {
    return edit_->hasFocus();
}

void SearchField::setFocused(bool focused) {
    if (focused) {
        edit_->setFocus(Qt::OtherFocusReason);
    } else if (edit_->hasFocus()) {
        edit_->clearFocus();
    }
}

QSize SearchField::sizeHint() const {
    return {kWidth, kHeight};
}

void SearchField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(KestleStyle::roundedRect(rect(), kRadius),
                     VelmarTheme::color(VelmarTheme::Color::controlFill, palette()));
    // The text field inside has the focus (this widget's proxy); the ring goes round
    // the whole field.
    KestleStyle::paintFocusRing(painter, *this, rect(), kRadius);
}

bool SearchField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        update();
        emit focusedChanged(event->type() == QEvent::FocusIn);
    }
    return QWidget::eventFilter(watched, event);
}

void SearchField::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    QWidget::changeEvent(event);
}

void SearchField::retranslate() {
    edit_->setPlaceholderText(tr("Search for an App"));
    edit_->setAccessibleName(tr("Search for an App"));
    clear_->setAccessibleName(tr("Clear"));
}

} // namespace kestle::app
