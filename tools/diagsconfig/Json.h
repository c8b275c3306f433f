#pragma once
// A small JSON writer for the console's --json output: values are written as they come, the
// writer places the commas. Texts are UTF-8.
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace diags::tools {

class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    JsonWriter& BeginObject() { return Open('{'); }
    JsonWriter& EndObject() { return Close('}'); }
    JsonWriter& BeginArray() { return Open('['); }
    JsonWriter& EndArray() { return Close(']'); }
    // The name of the next member of an object.
    JsonWriter& Key(std::string_view name) {
        Separate();
        Quote(name);
        out_ << ':';
        afterKey_ = true;
        return *this;
    }
    JsonWriter& String(std::string_view text) {
        Separate();
        Quote(text);
        return *this;
    }
    JsonWriter& Bool(bool value) {
        Separate();
        out_ << (value ? "true" : "false");
        return *this;
    }
    JsonWriter& Number(double value) {
        Separate();
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
        out_ << buffer;
        return *this;
    }
    JsonWriter& Integer(std::int64_t value) {
        Separate();
        out_ << value;
        return *this;
    }
    JsonWriter& Null() {
        Separate();
        out_ << "null";
        return *this;
    }
    // Ends the document with a line feed.
    void Finish() { out_ << '\n'; }

private:
    JsonWriter& Open(char bracket) {
        Separate();
        out_ << bracket;
        first_.push_back(true);
        return *this;
    }
    JsonWriter& Close(char bracket) {
        out_ << bracket;
        first_.pop_back();
        return *this;
    }
    void Separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (first_.empty()) return;
        if (!first_.back()) out_ << ',';
        first_.back() = false;
    }
    void Quote(std::string_view text) {
        out_ << '"';
        for (const char c : text) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out_ << '\\' << c;
            } else if (c == '\n') {
                out_ << "\\n";
            } else if (c == '\r') {
                out_ << "\\r";
            } else if (c == '\t') {
                out_ << "\\t";
            } else if (u < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
                out_ << buffer;
            } else {
                out_ << c;
            }
        }
        out_ << '"';
    }

    std::ostream& out_;
    std::vector<bool> first_;
    bool afterKey_ = false;
};

}  // namespace diags::tools
