#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QMainWindow>
#include <QUndoStack>

#include "services/AppActions.hpp"

class QAbstractButton;
class QAction;
class QScrollArea;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;

namespace kestle::app {

class AppDetail;
class AppGrid;
class AppTable;
class CatalogUnavailable;
class EmptyList;
class KestleModel;
class ListHeader;
class StatusFooter;
class ToastOverlay;

// The window of the maker's apps: toolbar, the list as a grid or a table (or one app's
// page), the status line, and toasts over the bottom. Everything shown comes from the
// model; the window keeps nothing of its own but the search field's focus.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    struct Options {
        // Opens the settings window; without it the toolbar has no settings button.
        std::function<void()> openSettings;
    };

    MainWindow(KestleModel& model, AppActions actions, Options options = {},
               QWidget* parent = nullptr);
    ~MainWindow() override;

    static constexpr const char* identifier = "main";

    enum class Page { detail, list, unavailable };
    Page page() const { return page_; }

    ListHeader* header() const { return header_; }
    // Made when first shown; nothing before.
    AppGrid* grid() const { return grid_; }
    AppTable* table() const { return table_; }
    AppDetail* detail() const { return detail_; }
    EmptyList* emptyList() const { return empty_; }
    CatalogUnavailable* catalogUnavailable() const { return unavailable_; }
    StatusFooter* footer() const { return footer_; }
    ToastOverlay* toasts() const { return toasts_; }
    QToolButton* checkButton() const { return check_; }
    // What Undo takes back (a move to the Trash); Ctrl+Z while the window is active.
    QUndoStack* undoStack() const { return undoStack_; }
    // Its action, "Undo ⟨what⟩", for the Edit menu.
    QAction* undoAction() const { return undo_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;

private:
    void buildToolbar(const Options& options);
    void refresh();
    void refreshList();
    void applyCanvas();
    bool hasFocusIn(const QWidget* page) const;
    void focusFirstIn(QWidget* page);

    KestleModel& model_;
    AppActions actions_;
    Page page_ = Page::unavailable;
    // Where the list was scrolled to when a detail page covered it.
    int listScroll_ = 0;
    std::optional<std::string> shownDetail_;
    QStackedWidget* pages_;
    QScrollArea* scroll_;
    QWidget* listPage_;
    QVBoxLayout* listColumn_;
    ListHeader* header_;
    AppGrid* grid_ = nullptr;
    AppTable* table_ = nullptr;
    AppDetail* detail_ = nullptr;
    EmptyList* empty_;
    CatalogUnavailable* unavailable_;
    StatusFooter* footer_;
    ToastOverlay* toasts_;
    QToolButton* check_ = nullptr;
    QUndoStack* undoStack_;
    QAction* undo_ = nullptr;
    QToolButton* settings_ = nullptr;
    QWidget* toolbar_ = nullptr;
};

} // namespace kestle::app
