#pragma once

#include <QObject>

#include "apps/AppEntry.hpp"
#include "install/PreviousCopy.hpp"
#include "services/TrashFlow.hpp"

namespace kestle::app {

class KestleModel;

// The confirmation before an app goes back to the copy its last update replaced: what
// happens, both versions and the space it frees. The work itself is a job of the update
// queue, so it never overlaps an update of the same app. Alerts go through the trash
// flow's presenter, which tests answer. Main thread only.
class GoBackFlow : public QObject {
    Q_OBJECT

public:
    static GoBackFlow& shared();

    void start(const AppEntry& entry, KestleModel& model);

    // The question, for an app that is open or not.
    static TrashFlow::Alert confirmation(const AppEntry& entry, const PreviousCopy& copy,
                                         bool running);
};

} // namespace kestle::app
