#include "HartRequestReader.h"

#include <algorithm>

void HartRequestReader::Feed(const std::uint8_t* data, std::size_t length,
                             std::vector<HartReceivedRequest>& requests)
{
    if (data == nullptr) {
        return;
    }
    held_.reserve(kMaxHeld + 1);
    // One byte at a time keeps the held bytes within one frame whatever
    // arrives in a single read.
    for (std::size_t i = 0; i < length; ++i) {
        held_.push_back(data[i]);
        Scan(requests);
    }
}

void HartRequestReader::Scan(std::vector<HartReceivedRequest>& requests)
{
    for (;;) {
        const auto firstPreamble = std::find(held_.begin(), held_.end(), std::uint8_t{0xFF});
        held_.erase(held_.begin(), firstPreamble);
        if (held_.empty()) {
            return;
        }

        std::size_t preambles = 0;
        while (preambles < held_.size() && held_[preambles] == 0xFF) {
            ++preambles;
        }
        if (preambles == held_.size()) {
            // Still in the preambles: how many there were does not matter once
            // there are enough.
            if (preambles > kMinPreambles) {
                held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(preambles - kMinPreambles));
            }
            return;
        }
        if (preambles < kMinPreambles) {
            held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(preambles));
            continue;
        }
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(preambles - kMinPreambles));

        const std::size_t delimiterAt = kMinPreambles;
        const std::uint8_t delimiter = held_[delimiterAt];
        if (delimiter != HartFrame::kShortRequest && delimiter != HartFrame::kLongRequest) {
            held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(delimiterAt + 1));
            continue;
        }

        const std::size_t addressLength =
            (delimiter & HartFrame::kLongAddressBit) ? HartFrame::kLongAddressLength : HartFrame::kShortAddressLength;
        const std::size_t commandAt = delimiterAt + 1 + addressLength;
        const std::size_t countAt = commandAt + 1;
        if (held_.size() <= countAt) {
            return;
        }
        const std::size_t count = held_[countAt];
        const std::size_t checkAt = countAt + 1 + count;
        if (held_.size() <= checkAt) {
            return;
        }

        HartReceivedRequest request;
        request.frame.delimiter = delimiter;
        request.frame.address.assign(held_.begin() + static_cast<std::ptrdiff_t>(delimiterAt + 1),
                                     held_.begin() + static_cast<std::ptrdiff_t>(commandAt));
        request.frame.command = held_[commandAt];
        request.frame.data.assign(held_.begin() + static_cast<std::ptrdiff_t>(countAt + 1),
                                  held_.begin() + static_cast<std::ptrdiff_t>(checkAt));
        request.checkByteOk = HartCheckByte(held_.data() + delimiterAt, checkAt - delimiterAt) == held_[checkAt];
        requests.push_back(std::move(request));
        // A device takes a frame by its byte count and only then checks it, so
        // a damaged frame is consumed whole, not searched for another start.
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(checkAt + 1));
    }
}
