#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QPointer>

#include "apps/AppEntry.hpp"
#include "views/list/LazyRows.hpp"

namespace kestle::app {

// The entries a list shows through lazy rows, and the one item widget kept per app (a
// card, a table row: anything with setEntry). Only items on screen are made or
// refreshed; an item that scrolls in again gets its entry then.
template <class Item> class LazyEntries {
public:
    using Make = std::function<Item*(const AppEntry& entry)>;

    explicit LazyEntries(Make make) : make_(std::move(make)) {}

    const std::vector<AppEntry>& entries() const { return entries_; }

    void set(const std::vector<AppEntry>& entries, LazyRows& rows) {
        if (entries == entries_) {
            return;
        }
        const bool sameApps =
            std::ranges::equal(entries, entries_, {}, &AppEntry::id, &AppEntry::id);
        entries_ = entries;
        if (!sameApps) {
            rows.setCount(entries_.size());
            return;
        }
        // The same apps in the same places: only the items on screen need the news.
        for (size_t index = 0; index < entries_.size(); ++index) {
            if (auto* item = qobject_cast<Item*>(rows.placed(index))) {
                item->setEntry(entries_[index]);
            }
        }
    }

    // The item for a place in the list, made on first use; what LazyRows asks for.
    Item* at(size_t index) {
        const AppEntry& entry = entries_[index];
        auto found = items_.find(entry.id());
        if (found != items_.end() && found->second) {
            found->second->setEntry(entry);
            return found->second;
        }
        Item* item = make_(entry);
        items_[entry.id()] = item;
        return item;
    }

    // The item kept for an app, on screen or not; nothing when it was never made.
    Item* kept(const std::string& id) const {
        auto found = items_.find(id);
        return found == items_.end() ? nullptr : found->second.data();
    }

private:
    Make make_;
    std::vector<AppEntry> entries_;
    std::map<std::string, QPointer<Item>> items_;
};

} // namespace kestle::app
