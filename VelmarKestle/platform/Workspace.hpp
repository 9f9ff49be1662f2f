#pragma once

#include <expected>
#include <filesystem>
#include <functional>

#include <QString>
#include <QUrl>

namespace kestle {

// What the desktop does with apps, files and links: opening an installed app bundle,
// showing an item in the file manager, opening a link in the default browser.
class Workspace {
public:
    // Starts the bundle's Contents/MacOS/<CFBundleExecutable> as a process of its own.
    // The error is a sentence for the log.
    static std::expected<void, QString> openApplication(const std::filesystem::path& bundle);
    // Asks the file manager (org.freedesktop.FileManager1) to show the item selected in
    // its folder; without one, opens the folder that holds it.
    static void revealInFileManager(const std::filesystem::path& item);
    // The default handler of the URL's scheme (browser, mail program).
    static bool openUrl(const QUrl& url);

    // Tests replace what leaves the process; empty means the real desktop.
    struct Hooks {
        std::function<bool(const QString& program, const QString& workingDirectory)> start;
        std::function<bool(const QUrl& url)> openUrl;
        std::function<bool(const QUrl& item)> showItem;
    };
    static Hooks& hooks();
};

} // namespace kestle
