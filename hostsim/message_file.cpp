#include "message_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "paths.h"

namespace hostsim {

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

std::string TooLarge(size_t limit = kMaxMessageBytes) {
    return "is larger than " + std::to_string(limit) + " bytes, more than any mail: not read";
}

std::string LineName(int line) {
    return "line " + std::to_string(line);
}

bool ReadBytes(const std::string& path, std::string* bytes, std::string* error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        OpenRegularFile(path, "a message file", error), std::fclose);
    if (!file) {
        return false;
    }
    std::error_code code;
    if (std::filesystem::file_size(FsPath(path), code) > kMaxMessageBytes && !code) {
        *error = TooLarge();
        return false;
    }
    return ReadMessageBytes(file.get(), bytes, error);
}

// Line ends and bytes a compose window's text cannot hold: a lone CR would
// join lines, a NUL would end the text. Neither is ever a trail byte.
bool CheckBytes(const std::string& bytes, std::string* error) {
    int line = 1;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++line;
        } else if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) {
            *error = LineName(line) + " ends in CR without LF: lines must end in LF or CR LF";
            return false;
        } else if (bytes[i] == '\0') {
            *error = LineName(line) + " holds a NUL byte";
            return false;
        }
    }
    return true;
}

// Lines as a compose window holds them: each ended by CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out.push_back('\r');
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

bool ReadMessageBytes(std::FILE* file, std::string* bytes, std::string* error, size_t limit) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        if (bytes->size() + n > limit) {
            *error = TooLarge(limit);
            return false;
        }
        bytes->append(buffer, n);
    }
    if (std::ferror(file)) {
        *error = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    return true;
}

std::vector<std::string> UnknownHeaders(const Message& message) {
    std::vector<std::string> unknown;
    for (const auto& [name, value] : message.headers) {
        bool known = false;
        for (const char* header : kHeaderNames) {
            known = known || (!HeaderNameLess()(name, header) && !HeaderNameLess()(header, name));
        }
        if (!known) {
            unknown.push_back(name);
        }
    }
    return unknown;
}

bool ParseMessage(const std::string& text, Message* message, std::string* error) {
    size_t at = 0;
    std::string last;
    Headers lines;  // where each header was given
    int line = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string current = text.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        ++line;
        if (!current.empty() && current.back() == '\r') {
            current.pop_back();
        }
        if (current.empty()) {
            message->body = WithCrLf(text.substr(at));
            return true;
        }
        if (current[0] == ' ' || current[0] == '\t') {
            if (last.empty()) {
                *error = LineName(line) + " continues no header";
                return false;
            }
            std::string& value = message->headers[last];
            value += ' ';
            value += TrimBlanks(current);
            continue;
        }
        size_t colon = current.find(':');
        if (colon == std::string::npos || colon == 0) {
            *error =
                LineName(line) + " is no header (Name: value) and no blank line before the body";
            return false;
        }
        last = current.substr(0, colon);
        // A compose window has one field of each name: a second would be lost.
        if (lines.count(last)) {
            *error = LineName(line) + " gives " + last + " again, after " + lines[last];
            return false;
        }
        lines[last] = LineName(line);
        message->headers[last] = TrimBlanks(current.substr(colon + 1));
    }
    return true;  // headers only: an empty body
}

bool UserTextToCodePage932(const std::string& utf8, bool substitute, const std::string& where,
                           std::string* text, std::vector<Replacement>* replaced,
                           std::string* error) {
    std::vector<Replacement> found;
    int badLine = 0;
    if (!ToCodePage932(utf8, text, &found, &badLine)) {
        *error = where + LineName(badLine) + " is not UTF-8 (--sjis takes Shift-JIS)";
        return false;
    }
    if (!found.empty() && !substitute) {
        const Replacement& first = found.front();
        *error = where + LineName(first.line) + ": " + first.character + " (" +
                 CodePointName(first) + ")" +
                 (found.size() > 1 ? " and " + std::to_string(found.size() - 1) + " more"
                                   : std::string()) +
                 " not in code page 932 (--substitute sends stand-ins, e.g. " + first.standIn + ")";
        return false;
    }
    replaced->insert(replaced->end(), found.begin(), found.end());
    return true;
}

bool MessageText(std::string bytes, const MessageFileOptions& options, const std::string& where,
                 std::string* text, std::vector<Replacement>* replaced, std::string* error) {
    std::string reason;
    if (!CheckBytes(bytes, &reason)) {
        *error = where + reason;
        return false;
    }
    std::string read = bytes;
    if (!options.shiftJis) {
        if (bytes.rfind(kUtf8Mark, 0) == 0) {
            bytes.erase(0, sizeof kUtf8Mark - 1);
        }
        if (!UserTextToCodePage932(bytes, options.substitute, where, &read, replaced, error)) {
            return false;
        }
    }
    *text = WithCrLf(read);
    return true;
}

bool ReadMessageText(const std::string& path, const MessageFileOptions& options, std::string* text,
                     std::vector<Replacement>* replaced, std::string* error) {
    const std::string where = ForTerminal(path) + ": ";
    std::string bytes;
    if (!ReadBytes(path, &bytes, error)) {
        *error = where + *error;
        return false;
    }
    return MessageText(std::move(bytes), options, where, text, replaced, error);
}

bool ReadMessageFile(const std::string& path, const MessageFileOptions& options, Message* message,
                     std::vector<Replacement>* replaced, std::string* error) {
    std::string text;
    if (!ReadMessageText(path, options, &text, replaced, error)) {
        return false;
    }
    std::string reason;
    if (!ParseMessage(text, message, &reason)) {
        *error = ForTerminal(path) + ": " + reason;
        return false;
    }
    return true;
}

}  // namespace hostsim
