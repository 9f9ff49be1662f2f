#include "views/settings/VelmarSettingsForm.hpp"

#include <QAbstractButton>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "views/components/Hairline.hpp"
#include "views/components/HeadingLabel.hpp"
#include "views/components/ToneLabel.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kPadding = 20;
constexpr int kSectionGap = 18;
constexpr int kRowPaddingX = 12;
constexpr int kRowPaddingY = 9;
constexpr qreal kRadius = 8;
constexpr qreal kTextSize = 13;
constexpr qreal kSmallSize = 11;

} // namespace

VelmarSettingsForm::Row::Row(const QString& label, const QString& subtitle, QWidget* control,
                             QWidget* parent)
    : QWidget(parent), control_(control) {
    auto* line = new QHBoxLayout(this);
    line->setContentsMargins(kRowPaddingX, kRowPaddingY, kRowPaddingX, kRowPaddingY);
    line->setSpacing(12);
    if (label.isEmpty()) {
        line->addWidget(control, 1);
        return;
    }
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    label_ = new ToneLabel(ToneLabel::Tone::primary, this);
    label_->setText(label);
    label_->setTextFormat(Qt::PlainText);
    label_->setWordWrap(true);
    label_->setFont(KestleStyle::font(kTextSize, QFont::Normal));
    texts->addWidget(label_);
    if (!subtitle.isEmpty()) {
        subtitle_ = note(subtitle, this);
        texts->addWidget(subtitle_);
    }
    line->addLayout(texts, 1);
    if (control != nullptr) {
        control->setParent(this);
        label_->setBuddy(control);
        // Screen readers name the control by its row; a button keeps its own words and
        // has the row's as its description.
        auto* button = qobject_cast<QAbstractButton*>(control);
        if (button != nullptr && !button->text().isEmpty()) {
            control->setAccessibleDescription(label);
        } else {
            if (control->accessibleName().isEmpty()) {
                control->setAccessibleName(label);
            }
            if (!subtitle.isEmpty()) {
                control->setAccessibleDescription(subtitle);
            }
        }
        line->addWidget(control, 0, Qt::AlignVCenter | Qt::AlignRight);
    }
}

VelmarSettingsForm::Section::Section(QWidget* parent)
    : QWidget(parent), rows_(new QVBoxLayout(this)) {
    rows_->setContentsMargins(0, 0, 0, 0);
    rows_->setSpacing(0);
}

VelmarSettingsForm::Row* VelmarSettingsForm::Section::addRow(const QString& label,
                                                             const QString& subtitle,
                                                             QWidget* control) {
    auto* row = new Row(label, subtitle, control, this);
    rows_->addWidget(row);
    return row;
}

VelmarSettingsForm::Row* VelmarSettingsForm::Section::addContent(QWidget* content) {
    return addRow({}, {}, content);
}

void VelmarSettingsForm::Section::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(Hairline::color(palette()), Hairline::thickness));
    painter.setBrush(VelmarTheme::color(VelmarTheme::Color::surface, palette()));
    painter.drawPath(KestleStyle::roundedRect(box, kRadius));
    // A separator above every visible row but the first.
    bool first = true;
    for (int i = 0; i < rows_->count(); ++i) {
        QWidget* row = rows_->itemAt(i)->widget();
        if (row == nullptr || row->isHidden()) {
            continue;
        }
        if (!first) {
            Hairline::paint(
                painter,
                QRectF(kRowPaddingX, row->y(), width() - 2 * kRowPaddingX, Hairline::thickness),
                palette());
        }
        first = false;
    }
}

VelmarSettingsForm::VelmarSettingsForm(QWidget* parent)
    : QWidget(parent), column_(new QVBoxLayout(this)) {
    column_->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column_->setSpacing(0);
    column_->addStretch(1);
}

VelmarSettingsForm::Section* VelmarSettingsForm::addSection(const QString& header,
                                                            const QString& footer) {
    // Before the closing stretch.
    int at = column_->count() - 1;
    if (at > 0) {
        column_->insertSpacing(at++, kSectionGap);
    }
    if (!header.isEmpty()) {
        auto* heading = new HeadingLabel(header, this);
        heading->setFont(KestleStyle::font(kTextSize, QFont::DemiBold));
        heading->setAccessibleName(header);
        heading->setContentsMargins(kRowPaddingX / 2, 0, 0, 6);
        column_->insertWidget(at++, heading);
    }
    auto* section = new Section(this);
    column_->insertWidget(at++, section);
    if (!footer.isEmpty()) {
        ToneLabel* below = note(footer, this);
        below->setContentsMargins(kRowPaddingX / 2, 6, kRowPaddingX / 2, 0);
        column_->insertWidget(at++, below);
    }
    return section;
}

ToneLabel* VelmarSettingsForm::note(const QString& text, QWidget* parent) {
    auto* label = new ToneLabel(ToneLabel::Tone::secondary, parent);
    label->setText(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(KestleStyle::font(kSmallSize, QFont::Normal));
    return label;
}

void VelmarSettingsForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
}

} // namespace kestle::app
