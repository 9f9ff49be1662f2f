#pragma once

#include <functional>

#include <QDialog>

class QAbstractButton;

namespace kestle {
class PreferenceStore;
}

namespace kestle::app {

class KofiImageButton;

// The thank-you panel shown once per version when the user quits: the Ko-fi button
// (Return) ends it with Accepted, "Not Now" (Escape) with Rejected. Frameless, on the
// surface colour, dragged by its background.
class TipPromptView : public QDialog {
    Q_OBJECT

public:
    static constexpr int panelWidth = 360;
    static constexpr const char* preference = "tipPageOpenedVersion";

    explicit TipPromptView(QWidget* parent = nullptr);

    KofiImageButton* tipButton() const { return tip_; }
    QAbstractButton* notNowButton() const { return notNow_; }

    // Whether a quit asks: only the user's own, with the terms accepted, and not once the
    // tip page was opened for this version.
    static bool isNeeded(bool userQuit, bool termsAccepted, const PreferenceStore* defaults,
                         const QString& version);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    KofiImageButton* tip_;
    QAbstractButton* notNow_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace kestle::app
