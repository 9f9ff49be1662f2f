#include "support/CurlMulti.hpp"

namespace kestle {

CurlMulti::CurlMulti(CURL* easy) : easy_(easy), multi_(curl_multi_init()) {
    added_ = multi_ && curl_multi_add_handle(multi_, easy_) == CURLM_OK;
}

CurlMulti::~CurlMulti() {
    if (added_) {
        curl_multi_remove_handle(multi_, easy_);
    }
    if (multi_) {
        curl_multi_cleanup(multi_);
    }
}

void CurlMulti::wake() const {
    curl_multi_wakeup(multi_);
}

std::optional<CURLcode> CurlMulti::perform(const std::function<bool()>& shouldStop,
                                           int pollMs) const {
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi_, &running) != CURLM_OK) {
            return std::nullopt;
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
                if (message->msg == CURLMSG_DONE) {
                    return message->data.result;
                }
            }
            return std::nullopt;
        }
        if (shouldStop() || curl_multi_poll(multi_, nullptr, 0, pollMs, nullptr) != CURLM_OK) {
            return std::nullopt;
        }
    }
}

} // namespace kestle
