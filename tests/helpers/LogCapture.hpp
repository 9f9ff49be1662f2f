#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <QString>
#include <QtGlobal>

namespace kestle::test {

// Collects the application's log lines while it lives (one at a time).
class LogCapture {
public:
    LogCapture() {
        std::lock_guard lock(mutex());
        lines().clear();
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    static bool contains(const std::string& text) {
        std::lock_guard lock(mutex());
        for (const std::string& line : lines()) {
            if (line.find(text) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext&, const QString& message) {
        std::lock_guard lock(mutex());
        lines().push_back(message.toStdString());
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<std::string>& lines() {
        static std::vector<std::string> l;
        return l;
    }
    QtMessageHandler previous_ = nullptr;
};

} // namespace kestle::test
