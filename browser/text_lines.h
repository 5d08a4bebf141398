// Line reading for the add-on's text files: a C text stream read with fgets into a fixed
// buffer. A carriage return before a line feed is dropped, a line longer than
// the buffer comes back in pieces, and a line ends at its first zero byte for every test made
// on it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace tnv::fleet {

class TextLines {
public:
    explicit TextLines(std::FILE* file) : file_(file) {}
    TextLines(const TextLines&) = delete;
    TextLines& operator=(const TextLines&) = delete;

    // Reads the next line of at most `maxChars` characters, its line feed kept. False at the end
    // of the file, with `line` empty. The view stays valid until the next call.
    bool next(std::string_view& line, std::size_t maxChars);

    // True once a read has met the end of the file.
    bool atEnd() const { return eof_; }

private:
    int get();
    int peek();

    std::FILE* file_;
    char buf_[65536];
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool eof_ = false;
    char line_[1024];
};

} // namespace tnv::fleet
