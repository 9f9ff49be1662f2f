#pragma once

#include <functional>

#include <QWidget>

class QAbstractButton;
class QCheckBox;

namespace kestle::app {

class KestleButton;
class KestleModel;

// The terms of use, which the user accepts before anything reaches the network: the
// two checkboxes must both be on before "Accept" opens the model's gate.
class TermsView : public QWidget {
    Q_OBJECT

public:
    // openTerms opens the terms page; accepted runs after the model recorded the
    // acceptance; quit ends the application (also when the window is closed without
    // accepting).
    TermsView(KestleModel& model, std::function<void()> openTerms, std::function<void()> accepted,
              std::function<void()> quit, QWidget* parent = nullptr);

    static constexpr const char* identifier = "terms";

    QCheckBox* acceptsTerms() const { return acceptsTerms_; }
    QCheckBox* approvesLiability() const { return approvesLiability_; }
    KestleButton* acceptButton() const { return accept_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    KestleModel& model_;
    std::function<void()> accepted_;
    std::function<void()> quit_;
    QCheckBox* acceptsTerms_;
    QCheckBox* approvesLiability_;
    KestleButton* accept_;
};

} // namespace kestle::app
