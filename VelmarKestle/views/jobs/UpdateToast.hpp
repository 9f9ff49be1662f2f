#pragma once

#include <functional>
#include <optional>

#include <QImage>
#include <QMargins>
#include <QString>
#include <QWidget>

#include "updates/UpdateNotice.hpp"

class QHBoxLayout;
class QLabel;

namespace kestle::app {

class ToastButton;

// A one-line message on an accent pill with a soft shadow below it, with at most one
// button. It only draws; ToastOverlay decides what it shows and for how long.
class UpdateToast : public QWidget {
    Q_OBJECT

public:
    explicit UpdateToast(QWidget* parent = nullptr);
    ~UpdateToast() override;

    // The button shows only when both its label and an action are given.
    void setContent(const QString& text, const std::optional<QString>& button = std::nullopt,
                    std::function<void()> action = {});
    QString text() const;
    // The button, or nothing while none is shown.
    ToastButton* button() const;
    // The room left around the pill for its shadow.
    static QMargins shadowMargins();

    // The text that reports a job's end.
    static QString noticeText(const UpdateNotice& notice);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColors();

    QWidget* pill_;
    QHBoxLayout* row_;
    QLabel* label_;
    ToastButton* button_ = nullptr;
    std::function<void()> action_;
    QImage shadow_; // for the pill's current size
};

} // namespace kestle::app
