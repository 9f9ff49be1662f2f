#pragma once

#include <optional>

#include <QString>
#include <QWidget>

#include "check/CheckFailure.hpp"

class QLabel;
class QAbstractButton;

namespace kestle::app {

class BusyIndicator;
class KestleModel;
class SymbolView;
class ToneLabel;

// The whole content while there is no catalog: "Loading the Apps…" while the first
// check runs, else why the list could not be loaded and "Try Again".
class CatalogUnavailable : public QWidget {
    Q_OBJECT

public:
    explicit CatalogUnavailable(KestleModel& model, QWidget* parent = nullptr);

    bool isLoading() const { return loading_; }
    QString title() const;
    QString message() const;
    QAbstractButton* tryAgainButton() const { return tryAgain_; }

    static QString message(const std::optional<CheckFailure>& failure);

private:
    void refresh();

    KestleModel& model_;
    bool loading_ = true;
    BusyIndicator* busy_;
    SymbolView* symbol_;
    QLabel* title_;
    ToneLabel* message_;
    QAbstractButton* tryAgain_;
};

} // namespace kestle::app
