#include "views/list/AppTable.hpp"

#include <QEvent>
#include <QStringList>
#include <QVBoxLayout>

#include "views/components/Eyebrow.hpp"
#include "views/list/LazyRows.hpp"
#include "views/list/TableColumnsLayout.hpp"

namespace kestle::app {

namespace {

constexpr int kPadX = 16;
constexpr int kHeaderHeight = 40;
constexpr int kColumnCount = 6;

} // namespace

std::vector<TableColumns::Width> AppTable::columns() {
    using W = TableColumns::Width;
    return {W::share(2.3), W::share(1.7), W::fixed(76), W::fixed(76), W::fixed(104), W::fixed(262)};
}

AppTable::AppTable(KestleModel& model, AppActions actions, QWidget* parent)
    : SurfacePanel(parent), model_(model), actions_(std::move(actions)),
      layout_(new QVBoxLayout(this)), header_(new QWidget(this)),
      headerColumns_(new TableColumnsLayout(columns(), columnSpacing, header_)),
      rows_([this](const AppEntry& entry) {
          return new AppTableRow(model_, entry, actions_, lazyRows_);
      }),
      lazyRows_(new LazyRows(
          1, 0, [this](size_t index) { return rows_.at(index); }, this)) {
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);
    headerColumns_->setContentsMargins(kPadX, 0, kPadX, 0);
    for (int i = 0; i < kColumnCount; ++i) {
        auto* caption = new Eyebrow({}, header_);
        headerColumns_->addCell(caption);
        captions_.push_back(caption);
    }
    header_->setMinimumHeight(kHeaderHeight);
    header_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout_->addWidget(header_);
    layout_->addWidget(lazyRows_);
    retranslate();
}

void AppTable::setEntries(const std::vector<AppEntry>& entries) {
    // Typing in the search field filters on every key: rows stay, only those on
    // screen are placed.
    rows_.set(entries, *lazyRows_);
}

AppTableRow* AppTable::row(int index) const {
    return index >= 0 ? qobject_cast<AppTableRow*>(lazyRows_->placed(static_cast<size_t>(index)))
                      : nullptr;
}

AppTableRow* AppTable::rowFor(const std::string& id) const {
    return rows_.kept(id);
}

Eyebrow* AppTable::headerCell(int column) const {
    return column >= 0 && column < kColumnCount ? captions_[static_cast<size_t>(column)] : nullptr;
}

void AppTable::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
    SurfacePanel::changeEvent(event);
}

void AppTable::retranslate() {
    const QString titles[kColumnCount] = {
        //: Column of the table: icon, name and tagline
        tr("App"),
        //: Column of the table
        tr("Status"),
        //: Column of the table: the installed version
        tr("Installed"),
        //: Column of the table: the latest released version
        tr("Latest"),
        //: Column of the table: the release date
        tr("Released"),
        //: Column of the table: the app's controls
        tr("Action"),
    };
    for (int i = 0; i < kColumnCount; ++i) {
        captions_[static_cast<size_t>(i)]->setText(titles[i]);
    }
    header_->setAccessibleName(QStringList(std::begin(titles), std::end(titles)).join(u", "));
}

} // namespace kestle::app
