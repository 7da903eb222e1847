// SPDX-License-Identifier: MIT
// The two browser endings: the results upload and the maker's web page.
//
// Neither has network code of its own: the browser is started on a URL and the program ends.
// The results server and the maker's page are set at build time (VX_RESULTS_SERVER and
// VX_MAKER_URL); a run may name another results server. The URL is built as a string of any length, so no device string can overflow it.
#include <string>

#include "app/app.h"
#include "util/percent_encode.h"

namespace veloxia {

std::string launchedUrl;

namespace {

MemoryStatus memory{};
bool memoryRead = false;
std::string resultsServer = VX_RESULTS_SERVER;

void endAfterLaunch(const std::string& url, bool open) {
    launchedUrl = url;
    if (open) {
        activeHost()->openBrowser(url);
    } else {
        activeHost()->showUrl(url);
    }
    benchmarkState.title = 0;
    benchmarkState.running = 0;
    benchmarkState.results = 0;
    benchmarkState.upload = 0;
    benchmarkState.exit = 1;
}

}  // namespace

std::string toUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // an unpaired surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}


std::string percentEncode(const std::u16string& text) { return util::percentEncode(toUtf8(text)); }

void setResultsServer(const std::string& address) {
    resultsServer = address.empty() ? VX_RESULTS_SERVER : address;
    while (resultsServer.size() > 1 && resultsServer.back() == '/') resultsServer.pop_back();
}

std::string resultsUrl(const MemoryStatus& memory) {
    std::string url = resultsServer;
    url += "/f/benchmark.php?fps=" + std::to_string(static_cast<int32_t>(averageTimes100()));
    url += "&min=" + percentEncode(minWide);
    url += "&max=" + percentEncode(maxWide);
    url += "&dev=" + percentEncode(oemInfo);
    url += "&ver=" + percentEncode(versionWide);
    url += "&memp=" + std::to_string(memory.loadPercent);
    url += "&totmem=" + std::to_string(memory.totalBytes);
    url += "&availmem=" + std::to_string(memory.availableBytes);
    return url;
}

std::string makerUrl() { return VX_MAKER_URL; }

std::string makerAddressLine() {
    // The host part of the address, in capitals (the font has no '/').
    std::string host = makerUrl();
    if (const auto scheme = host.find("://"); scheme != std::string::npos) host.erase(0, scheme + 3);
    if (const auto path = host.find_first_of("/:?#"); path != std::string::npos) host.erase(path);
    for (char& c : host) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return "~" + host;
}

const MemoryStatus& runMemory() {
    if (!memoryRead && activeHost() != nullptr) {
        memory = activeHost()->memoryStatus();
        memoryRead = true;
    }
    return memory;
}

void forgetRunMemory() {
    memory = MemoryStatus{};
    memoryRead = false;
}

// A result of the virtual clock is not a measurement: its URL is shown, never sent.
void launchUpload() { endAfterLaunch(resultsUrl(runMemory()), !onVirtualClock()); }

void openWebsite() { endAfterLaunch(makerUrl(), true); }

}  // namespace veloxia
