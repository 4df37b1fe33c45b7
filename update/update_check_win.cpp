#include "update/update_check_win.h"

#include <thread>
#include <utility>

#include "res/messages.h"

namespace tickra {

void UpdateChannel::Close() {
    const std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
}

bool UpdateChannel::Report(std::optional<UpdateNotice> notice) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) {
        return false;
    }
    const bool usable = notice.has_value();
    notice_ = std::move(notice);
    // The announcement report comes first, the end of the check always last.
    if (usable) {
        PostMessageW(dialog_, kUpdateMessage, kUpdateReport, kUpdateShowAnnouncement);
    }
    PostMessageW(dialog_, kUpdateMessage, kUpdateReport, kUpdateCheckEnded);
    return true;
}

std::optional<UpdateNotice> UpdateChannel::notice() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    return notice_;
}

void StartUpdateCheck(std::shared_ptr<UpdateChannel> channel, HttpFunction http, std::string host,
                      Clock clock) {
    std::thread([channel = std::move(channel), http = std::move(http), host = std::move(host),
                 clock = std::move(clock)] {
        const std::string page = http("", "GET", host, UpdatePageObject(clock())).body;
        channel->Report(ParseUpdateNotice(page));
    }).detach();
}

}  // namespace tickra
