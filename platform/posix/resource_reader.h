// A little-endian reader over the bytes of a module's compiled resource file,
// as both the resource entries and the dialog templates in them are laid out:
// words, double words, and names that are a number or a UTF-16 string.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace win32posix {

// Marks a name that is a number rather than a string: the number follows.
inline constexpr WORD kOrdinalMark = 0xFFFF;

// Reads the bytes it is given from the start; a read past their end marks it
// failed and gives zeros.
class ResourceReader {
  public:
    ResourceReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

    bool Ok() const { return ok_; }
    size_t Offset() const { return offset_; }
    void Seek(size_t offset) {
        if (offset > size_) {
            ok_ = false;
        }
        offset_ = offset > size_ ? size_ : offset;
    }
    void AlignTo(size_t base, size_t unit) {
        size_t from = offset_ - base;
        Seek(base + (from + unit - 1) / unit * unit);
    }
    WORD Word() {
        if (size_ - offset_ < 2) {
            ok_ = false;
            return 0;
        }
        WORD value = static_cast<WORD>(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    short Short() { return static_cast<short>(Word()); }

    // A NUL-terminated UTF-16 string, as code page 932.
    std::string String() {
        std::u16string wide;
        while (WORD unit = Word()) {
            wide.push_back(static_cast<char16_t>(unit));
        }
        return ToCodePage(wide);
    }
    // A number marked with 0xFFFF, or a string; `ordinal` is 0 for a string.
    std::string NumberOrString(WORD* ordinal) {
        *ordinal = 0;
        size_t start = offset_;
        if (Word() == kOrdinalMark) {
            *ordinal = Word();
            return {};
        }
        Seek(start);
        return String();
    }

  private:
    static std::string ToCodePage(const std::u16string& wide) {
        if (wide.empty()) {
            return {};
        }
        int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
        std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                            nullptr, nullptr);
        return text;
    }

    const unsigned char* data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
};

}  // namespace win32posix
