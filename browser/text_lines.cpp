#include "browser/text_lines.h"

#include <algorithm>
#include <cstring>

namespace tnv::fleet {

int TextLines::peek() {
    if (pos_ == len_) {
        len_ = file_ ? std::fread(buf_, 1, sizeof buf_, file_) : 0;
        pos_ = 0;
        if (len_ == 0)
            return EOF;
    }
    return static_cast<unsigned char>(buf_[pos_]);
}

int TextLines::get() {
    int c = peek();
    if (c != EOF)
        ++pos_;
    return c;
}

bool TextLines::next(std::string_view& line, std::size_t maxChars) {
    maxChars = std::min(maxChars, sizeof line_ - 1);
    std::size_t n = 0;
    while (n < maxChars) {
        int c = get();
        if (c == EOF) {
            eof_ = true;
            break;
        }
        if (c == '\r' && peek() == '\n')
            c = get();
        line_[n++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    if (n == 0) {
        line = {};
        return false;
    }
    line_[n] = '\0';
    // The programs saw a C string: nothing after a zero byte counts.
    line = std::string_view(line_, std::strlen(line_));
    return true;
}

} // namespace tnv::fleet
