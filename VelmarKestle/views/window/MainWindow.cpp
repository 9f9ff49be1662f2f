#include "views/window/MainWindow.hpp"

#include <QApplication>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "Logging.hpp"
#include "model/KestleModel.hpp"
#include "views/components/KestleLockup.hpp"
#include "views/controls/LayoutPicker.hpp"
#include "views/controls/ReturnPress.hpp"
#include "views/detail/AppDetail.hpp"
#include "views/jobs/ToastOverlay.hpp"
#include "views/jobs/UpdateToast.hpp"
#include "views/list/AppGrid.hpp"
#include "views/list/AppTable.hpp"
#include "views/list/EmptyList.hpp"
#include "views/list/ListHeader.hpp"
#include "views/style/KestleStyle.hpp"
#include "views/style/SystemSymbol.hpp"
#include "views/style/VelmarTheme.hpp"
#include "views/window/CatalogUnavailable.hpp"
#include "views/window/ReadingOrder.hpp"
#include "views/window/StatusFooter.hpp"

namespace kestle::app {

namespace {

constexpr int kMinimumWidth = 860;
constexpr int kMinimumHeight = 520;
constexpr int kContentMargin = 24;
constexpr int kBlockSpacing = 18;
constexpr int kToolbarSymbol = 15;
constexpr int kFixedSpace = 12;

QWidget* spacer(QWidget* parent, bool flexible) {
    auto* space = new QWidget(parent);
    if (flexible) {
        space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    } else {
        space->setFixedWidth(kFixedSpace);
    }
    return space;
}

} // namespace

MainWindow::MainWindow(KestleModel& model, AppActions actions, Options options, QWidget* parent)
    : QMainWindow(parent), model_(model), actions_(std::move(actions)),
      pages_(new QStackedWidget(this)), scroll_(new QScrollArea(this)),
      listPage_(new QWidget(this)), listColumn_(new QVBoxLayout(listPage_)),
      header_(new ListHeader(model_, listPage_)), empty_(new EmptyList(model_, listPage_)),
      unavailable_(new CatalogUnavailable(model_, this)),
      footer_(new StatusFooter(model_, actions_, this)), toasts_(nullptr),
      undoStack_(new QUndoStack(this)) {
    setObjectName(QString::fromLatin1(identifier));
    undo_ = undoStack_->createUndoAction(this);
    undo_->setShortcut(QKeySequence::Undo);
    addAction(undo_);
    setWindowTitle(QStringLiteral("VelmarKestle"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(1000, 720);

    listColumn_->setContentsMargins(kContentMargin, kContentMargin, kContentMargin, kContentMargin);
    listColumn_->setSpacing(kBlockSpacing);
    listColumn_->addWidget(header_);
    listColumn_->addWidget(empty_);
    listColumn_->addStretch(1);

    auto* scrolled = new QWidget(scroll_);
    auto* scrolledColumn = new QVBoxLayout(scrolled);
    scrolledColumn->setContentsMargins(0, 0, 0, 0);
    scrolledColumn->addWidget(listPage_);
    scroll_->setWidget(scrolled);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Not a stop of its own on the way through the controls; the keys that scroll reach
    // it from whichever control inside has the focus.
    scroll_->setFocusPolicy(Qt::NoFocus);

    pages_->addWidget(scroll_);
    pages_->addWidget(unavailable_);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(pages_, 1);
    column->addWidget(footer_);
    setCentralWidget(central);
    buildToolbar(options);
    applyCanvas();

    toasts_ = new ToastOverlay(model_, this, actions_);

    for (auto signal :
         {&KestleModel::resultChanged, &KestleModel::entriesChanged, &KestleModel::filterChanged,
          &KestleModel::queryChanged, &KestleModel::layoutChanged, &KestleModel::detailChanged,
          &KestleModel::isCheckingChanged}) {
        connect(&model_, signal, this, &MainWindow::refresh);
    }
    // Apps installed or removed elsewhere show up when the user comes back.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && isVisible()) {
                    model_.refreshInstalled();
                }
            });
    refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolbar(const Options& options) {
    auto* toolbar = addToolBar(tr("Toolbar"));
    toolbar_ = toolbar;
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->toggleViewAction()->setVisible(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->addWidget(new KestleLockup(toolbar));
    toolbar->addWidget(spacer(toolbar, true));
    toolbar->addWidget(new LayoutPicker(model_, toolbar));
    toolbar->addWidget(spacer(toolbar, false));

    check_ = new QToolButton(toolbar);
    check_->setText(tr("Check for Updates"));
    check_->setToolTip(tr("Check for Updates"));
    check_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ReturnPress::install(*check_);
    connect(check_, &QToolButton::clicked, this, [this] { model_.check(CheckReason::user); });
    toolbar->addWidget(check_);

    if (options.openSettings) {
        settings_ = new QToolButton(toolbar);
        auto* settings = settings_;
        settings->setText(tr("Settings"));
        settings->setToolTip(tr("Settings"));
        settings->setToolButtonStyle(Qt::ToolButtonIconOnly);
        ReturnPress::install(*settings);
        connect(settings, &QToolButton::clicked, this, options.openSettings);
        toolbar->addWidget(settings);
    }
}

void MainWindow::refresh() {
    check_->setEnabled(!model_.isChecking());

    const auto& result = model_.result();
    std::optional<AppEntry> shownDetail;
    if (model_.detail()) {
        shownDetail = model_.entry(*model_.detail());
    }
    if (shownDetail) {
        const bool another = shownDetail_ != shownDetail->id();
        const bool focusInList = hasFocusIn(listPage_);
        if (page_ == Page::list) {
            listScroll_ = scroll_->verticalScrollBar()->value();
        }
        page_ = Page::detail;
        shownDetail_ = shownDetail->id();
        if (detail_ == nullptr) {
            detail_ = new AppDetail(model_, *shownDetail, actions_, scroll_->widget());
            scroll_->widget()->layout()->addWidget(detail_);
        } else {
            detail_->setEntry(*shownDetail);
        }
        listPage_->hide();
        detail_->show();
        pages_->setCurrentWidget(scroll_);
        // An app's page opens at its top, not where the list happened to be.
        if (another) {
            scroll_->verticalScrollBar()->setValue(0);
        }
        // Opened from the keyboard: the page's first control goes on from there.
        if (focusInList) {
            focusFirstIn(detail_);
        }
        return;
    }
    shownDetail_.reset();
    const bool focusInDetail = hasFocusIn(detail_);
    if (detail_ != nullptr) {
        detail_->hide();
    }
    if (!result || !result->catalog) {
        page_ = Page::unavailable;
        pages_->setCurrentWidget(unavailable_);
        return;
    }
    const bool back = page_ == Page::detail;
    page_ = Page::list;
    listPage_->show();
    pages_->setCurrentWidget(scroll_);
    refreshList();
    if (back) {
        // Back from an app's page, the list is where the user left it. The range of the
        // scroll bar follows the list's height only once the layout has run.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        scroll_->verticalScrollBar()->setValue(listScroll_);
    }
    if (focusInDetail) {
        focusFirstIn(listPage_);
    }
}

bool MainWindow::hasFocusIn(const QWidget* page) const {
    QWidget* focused = focusWidget();
    return page != nullptr && focused != nullptr && page->isAncestorOf(focused);
}

void MainWindow::focusFirstIn(QWidget* page) {
    const QList<QWidget*> order = ReadingOrder::focusable({page});
    if (!order.isEmpty()) {
        order.first()->setFocus(Qt::OtherFocusReason);
    }
}

bool MainWindow::focusNextPrevChild(bool next) {
    QList<QWidget*> roots;
    for (QWidget* root : {static_cast<QWidget*>(toolbar_), centralWidget(),
                          static_cast<QWidget*>(toasts_ ? toasts_->toast() : nullptr)}) {
        if (root != nullptr) {
            roots.append(root);
        }
    }
    QWidget* target = ReadingOrder::next(roots, focusWidget(), next);
    if (target == nullptr) {
        return QMainWindow::focusNextPrevChild(next);
    }
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    if (scroll_->widget()->isAncestorOf(target)) {
        scroll_->ensureWidgetVisible(target);
    }
    return true;
}

void MainWindow::refreshList() {
    const std::vector<AppEntry>& visible = model_.visibleEntries();
    const bool table = model_.layout() == ListLayout::table;
    const bool empty = visible.empty();
    // The list in use goes right under the header; the other one waits hidden.
    if (table && table_ == nullptr) {
        table_ = new AppTable(model_, actions_, listPage_);
        listColumn_->insertWidget(1, table_);
    }
    if (!table && grid_ == nullptr) {
        grid_ = new AppGrid(model_, actions_, listPage_);
        listColumn_->insertWidget(1, grid_);
    }
    if (table) {
        table_->setEntries(visible);
    } else {
        grid_->setEntries(visible);
    }
    if (grid_ != nullptr) {
        grid_->setVisible(!table && !empty);
    }
    if (table_ != nullptr) {
        table_->setVisible(table && !empty);
    }
    empty_->setVisible(empty);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) {
        qCInfo(lcApp, "Main window appeared");
        model_.windowAppeared();
    }
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        // The window hears of a new palette before its children get it; recolour once
        // they all have it, so nothing below is resolved against the old one.
        QMetaObject::invokeMethod(this, &MainWindow::applyCanvas, Qt::QueuedConnection);
    }
}

void MainWindow::applyCanvas() {
    // Toolbar symbols are pictures: they are drawn again in the new text colour.
    const QColor symbolColor = KestleStyle::primaryText(palette());
    check_->setIcon(SystemSymbol::icon(u"arrow.clockwise", kToolbarSymbol, symbolColor));
    if (settings_ != nullptr) {
        settings_->setIcon(SystemSymbol::icon(u"gearshape", kToolbarSymbol, symbolColor));
    }
    // The content sits on the canvas colour; the toolbar keeps the system's look.
    const QColor canvas = VelmarTheme::color(VelmarTheme::Color::canvas, palette());
    for (QWidget* widget : {static_cast<QWidget*>(pages_), scroll_->viewport(), scroll_->widget(),
                            static_cast<QWidget*>(unavailable_)}) {
        KestleStyle::setColor(*widget, QPalette::Window, canvas);
        widget->setAutoFillBackground(true);
    }
}

} // namespace kestle::app
