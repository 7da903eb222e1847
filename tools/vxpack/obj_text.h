// SPDX-License-Identifier: MIT
// The line and word level of OBJ and MTL files.
#pragma once

#include <charconv>
#include <cmath>
#include <filesystem>
#include <istream>
#include <string>

namespace vxpack {

// "model.obj:12", the way compilers name a place in a file.
inline std::string where(const std::filesystem::path& file, size_t line) {
    return file.string() + ":" + std::to_string(line);
}

// The next statement: a line without its end (\n or \r\n), joined with the following ones while
// it ends in a backslash. `linesRead` counts every line; `first` is the statement's first line.
inline bool nextLogicalLine(std::istream& in, std::string& text, size_t& linesRead, size_t& first) {
    text.clear();
    std::string part;
    bool any = false;
    while (std::getline(in, part)) {
        ++linesRead;
        if (!any) first = linesRead;
        any = true;
        if (!part.empty() && part.back() == '\r') part.pop_back();
        if (!part.empty() && part.back() == '\\') {
            part.back() = ' ';
            text += part;
            continue;
        }
        text += part;
        return true;
    }
    return any;
}

// Words of one statement, separated by spaces and tabs.
class TextLine {
public:
    explicit TextLine(std::string text) : text_(std::move(text)) {}
    std::string word() {
        skipSpace();
        const size_t start = at_;
        while (at_ < text_.size() && !isSpace(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }
    // A finite number; false (and nothing read) otherwise.
    bool number(double& value) {
        skipSpace();
        const char* begin = text_.data() + at_;
        const char* end = text_.data() + text_.size();
        if (begin != end && *begin == '+') ++begin;
        double parsed = 0;
        const auto [stop, error] = std::from_chars(begin, end, parsed);
        if (error != std::errc() || !std::isfinite(parsed) || (stop != end && !isSpace(*stop))) return false;
        value = parsed;
        at_ = static_cast<size_t>(stop - text_.data());
        return true;
    }
    // Everything after the words read so far, without the spaces around it.
    std::string rest() {
        skipSpace();
        size_t end = text_.size();
        while (end > at_ && isSpace(text_[end - 1])) --end;
        return text_.substr(at_, end - at_);
    }
    bool atEnd() {
        skipSpace();
        return at_ == text_.size();
    }

private:
    static bool isSpace(char c) { return c == ' ' || c == '\t'; }
    void skipSpace() {
        while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
    }
    std::string text_;
    size_t at_ = 0;
};

}  // namespace vxpack
