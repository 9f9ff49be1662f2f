#pragma once

#include <QString>
#include <QToolButton>

class QMenu;

namespace kestle::app {

// The "more" button of an entry: an ellipsis in an outlined 32 x 32 square that opens
// the menu its owner supplies. A menu without a parent becomes the button's child.
class MoreMenu : public QToolButton {
    Q_OBJECT

public:
    MoreMenu(const QString& name, QMenu* items, QWidget* parent = nullptr);

    // The app's display name, which the tooltip and accessible name mention.
    const QString& name() const { return name_; }
    void setName(const QString& name);
    void setItems(QMenu* items);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void retranslate();

    QString name_;
};

} // namespace kestle::app
