#include "views/settings/SettingsSidebar.hpp"

#include <QPainter>
#include <QStyledItemDelegate>

#include "views/components/Hairline.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"

namespace kestle::app {

namespace {

constexpr int kRowHeight = 30;
constexpr int kPadding = 10;
constexpr qreal kSymbolSize = 15;
constexpr qreal kRadius = 6;
constexpr int kSectionRole = Qt::UserRole;
constexpr int kSymbolRole = Qt::UserRole + 1;

class SidebarDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), kRowHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const auto* view = static_cast<const QWidget*>(option.widget);
        const QPalette& palette = view->palette();
        const QRectF row = QRectF(option.rect).adjusted(kPadding / 2.0, 1, -kPadding / 2.0, -1);
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        QColor text = KestleStyle::primaryText(palette);
        if (selected) {
            painter->fillPath(KestleStyle::roundedRect(row, kRadius),
                              VelmarTheme::color(VelmarTheme::Color::accent, palette));
            text = VelmarTheme::color(VelmarTheme::Color::onAccent, palette);
        }
        const QPointF centre(row.left() + kPadding + kSymbolSize / 2, row.center().y());
        SystemSymbol::paint(*painter, centre, kSymbolSize, index.data(kSymbolRole).toString(),
                            selected ? text
                                     : VelmarTheme::color(VelmarTheme::Color::accent, palette));
        painter->setPen(text);
        painter->setFont(KestleStyle::font(13, QFont::Normal));
        const QRectF label = row.adjusted(kPadding * 2 + kSymbolSize, 0, -kPadding, 0);
        KestleStyle::drawLine(*painter, label, index.data(Qt::DisplayRole).toString(),
                              Qt::AlignLeft | Qt::AlignVCenter);
        if (option.state.testFlag(QStyle::State_HasFocus)) {
            // On the selected row's accent the ring takes the label's colour.
            KestleStyle::paintFocusRing(*painter, *view, row.adjusted(-1, -1, 1, 1), kRadius + 1,
                                        selected ? text : QColor());
        }
        painter->restore();
    }
};

} // namespace

SettingsSidebar::SettingsSidebar(QWidget* parent) : QListWidget(parent) {
    setFixedWidth(fixedWidth);
    setFrameShape(QFrame::NoFrame);
    setItemDelegate(new SidebarDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setSpacing(0);
    //: Accessible name of the settings' list of sections
    setAccessibleName(tr("Sections"));
    for (SettingsSection section : SettingsSections::all) {
        auto* item = new QListWidgetItem(SettingsSections::title(section), this);
        item->setData(kSectionRole, static_cast<int>(section));
        item->setData(kSymbolRole, SettingsSections::symbol(section));
    }
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            emit selectedChanged(selected());
        }
    });
}

SettingsSection SettingsSidebar::selected() const {
    const QListWidgetItem* item = currentItem();
    return item != nullptr ? static_cast<SettingsSection>(item->data(kSectionRole).toInt())
                           : SettingsSection::general;
}

void SettingsSidebar::select(SettingsSection section) {
    for (int row = 0; row < count(); ++row) {
        if (static_cast<SettingsSection>(item(row)->data(kSectionRole).toInt()) == section) {
            setCurrentRow(row);
        }
    }
}

void SettingsSidebar::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(viewport());
        const QRect area = viewport()->rect();
        painter.fillRect(area, VelmarTheme::color(VelmarTheme::Color::canvas, palette()));
        Hairline::paint(
            painter,
            QRectF(area.right() + 1 - Hairline::thickness, 0, Hairline::thickness, area.height()),
            palette());
    }
    QListWidget::paintEvent(event);
}

} // namespace kestle::app
