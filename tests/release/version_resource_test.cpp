// The version resource of TELEPOST.dll beside this program, read as Explorer
// reads it: through GetFileVersionInfoA and VerQueryValueA, in the ANSI code
// page (932 under the test runner).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "telepost_version.h"

namespace {

std::string DllBesideProgram() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string program(path, length);
    return program.substr(0, program.find_last_of("\\/") + 1) + "TELEPOST.dll";
}

// A text in the ANSI code page as UTF-8, to compare with the readable
// expectations below.
std::string AnsiToUtf8(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    wide.data(), static_cast<int>(wide.size()));
    std::string utf8(static_cast<size_t>(units) * 3, '\0');
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, nullptr);
    utf8.resize(static_cast<size_t>(bytes));
    return utf8;
}

class VersionResourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string dll = DllBesideProgram();
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &ignored);
        ASSERT_GT(size, 0u) << dll << " has no version resource (error " << GetLastError() << ")";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, data_.data()));
    }

    // The value at a VerQueryValueA path, or null when it is missing.
    const void* Query(const std::string& path, UINT* length) {
        void* value = nullptr;
        if (!VerQueryValueA(data_.data(), path.c_str(), &value, length)) {
            return nullptr;
        }
        return value;
    }

    std::vector<char> data_;
};

TEST_F(VersionResourceTest, FixedPartCarriesTheProjectVersionForADll) {
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query("\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD high = MAKELONG(TELEPOST_VERSION_MINOR, TELEPOST_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, TELEPOST_VERSION_PATCH);
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // no debug or pre-release flag
}

TEST_F(VersionResourceTest, TranslationsListJapaneseFirstThenEnglish) {
    struct Translation {
        WORD language;
        WORD codePage;
    };
    UINT length = 0;
    const auto* translations =
        static_cast<const Translation*>(Query("\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translations, nullptr);
    ASSERT_EQ(length, 2 * sizeof(Translation));
    EXPECT_EQ(translations[0].language, 1041);
    EXPECT_EQ(translations[0].codePage, 932);
    EXPECT_EQ(translations[1].language, 1033);
    EXPECT_EQ(translations[1].codePage, 1200);
}

TEST_F(VersionResourceTest, StringsReadBackInEachLanguage) {
    const std::string version = TELEPOST_VERSION_TEXT;
    const std::string copyright = "Copyright (C) 2026 TELEPOST contributors (MIT License)";
    struct Row {
        const char* block;
        const char* name;
        std::string expected;  // UTF-8
    };
    const Row rows[] = {
        {"041103a4", "CompanyName", "Varnok"},
        {"041103a4", "FileDescription", "携帯電話向けメール送信支援プラグイン"},
        {"041103a4", "FileVersion", version},
        {"041103a4", "InternalName", "TELEPOST"},
        {"041103a4", "LegalCopyright", copyright},
        {"041103a4", "OriginalFilename", "TELEPOST.dll"},
        {"041103a4", "ProductName", "テレポスト"},
        {"041103a4", "ProductVersion", version},
        {"040904b0", "CompanyName", "Varnok"},
        {"040904b0", "FileDescription", "Mail sending plug-in for Japanese mobile phones"},
        {"040904b0", "FileVersion", version},
        {"040904b0", "InternalName", "TELEPOST"},
        {"040904b0", "LegalCopyright", copyright},
        {"040904b0", "OriginalFilename", "TELEPOST.dll"},
        {"040904b0", "ProductName", "TELEPOST"},
        {"040904b0", "ProductVersion", version},
    };
    for (const Row& row : rows) {
        std::string path = std::string("\\StringFileInfo\\") + row.block + "\\" + row.name;
        UINT length = 0;
        const auto* value = static_cast<const char*>(Query(path, &length));
        ASSERT_NE(value, nullptr) << path << " is missing";
        EXPECT_EQ(AnsiToUtf8(value), row.expected) << path;
    }
}

}  // namespace
