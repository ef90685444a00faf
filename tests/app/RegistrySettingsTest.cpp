// The settings in the Windows registry: the kinds each value is written
// with, what reading accepts, and a round trip with non-ASCII paths. Each
// test works in a key of its own, removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CxfHTMLExporterUnit.h"
#include "RegistrySettingsKey.h"

namespace {

class RegistrySettingsTest : public testing::Test {
protected:
    RegistrySettingsTest()
        : SubKey(L"Software\\Morvane\\ZanveroTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++Counter)) {}
    ~RegistrySettingsTest() override { RegDeleteTreeW(HKEY_CURRENT_USER, SubKey.c_str()); }

    DWORD KindOf(const wchar_t* Name) const {
        DWORD Type = REG_NONE;
        return RegGetValueW(HKEY_CURRENT_USER, SubKey.c_str(), Name, RRF_RT_ANY | RRF_NOEXPAND, &Type, nullptr,
                            nullptr) == ERROR_SUCCESS
                   ? Type
                   : REG_NONE;
    }
    DWORD DwordOf(const wchar_t* Name) const {
        DWORD Value = 0xDEADBEEF, Size = sizeof Value;
        RegGetValueW(HKEY_CURRENT_USER, SubKey.c_str(), Name, RRF_RT_REG_DWORD, nullptr, &Value, &Size);
        return Value;
    }
    void Put(const wchar_t* Name, DWORD Type, const void* Data, DWORD Size) const {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, SubKey.c_str(), Name, Type, Data, Size), ERROR_SUCCESS);
    }
    void PutText(const wchar_t* Name, DWORD Type, const std::wstring& Text) const {
        Put(Name, Type, Text.c_str(), static_cast<DWORD>((Text.size() + 1) * sizeof(wchar_t)));
    }

    static inline int Counter = 0;
    std::wstring SubKey;
};

TEST_F(RegistrySettingsTest, WritesStringsAsRegSzAndNumbersAndFlagsAsRegDword) {
    const TStoredSettings Saved{QStringLiteral("C:\\Kanäle\\Каналы.cxf"), QStringLiteral("D:\\Export\\"), -1,
                                false, true, false, true, QStringLiteral("C:\\Kanäle"), QString(),
                                {DefaultHtmlHeadText, "", "\t\xC3\xA4"}};
    ASSERT_TRUE(SaveSettings(*OpenRegistrySettingsKey(SubKey), Saved));

    for (const wchar_t* Name : {L"CxfFileName", L"ExportPath", L"OpenDialogInitialDir", L"CSVFileSaveDialogInitialDir",
                                L"HtmlHeaderText"})
        EXPECT_EQ(KindOf(Name), static_cast<DWORD>(REG_SZ)) << Name;
    const std::pair<const wchar_t*, DWORD> Numbers[] = {{L"ExportType", 0xFFFFFFFF},
                                                        {L"ExcludeChannelUF", 0},
                                                        {L"ExcludeChannelVPID", 1},
                                                        {L"ExcludeTransponderUF", 0},
                                                        {L"ExcludeSatelliteUF", 1}};
    for (const auto& [Name, Value] : Numbers) {
        EXPECT_EQ(KindOf(Name), static_cast<DWORD>(REG_DWORD)) << Name;
        EXPECT_EQ(DwordOf(Name), Value) << Name;
    }

    TStoredSettings Loaded;
    LoadSettings(*OpenRegistrySettingsKey(SubKey), QStringLiteral("C:\\w"), Loaded);
    EXPECT_EQ(Loaded.CxfFileName, Saved.CxfFileName);
    EXPECT_EQ(Loaded.ExportType, -1);
    EXPECT_FALSE(Loaded.ExcludeChannelUF);
    EXPECT_TRUE(Loaded.ExcludeSatelliteUF);
    EXPECT_EQ(Loaded.OpenDialogInitialDir, Saved.OpenDialogInitialDir);
    EXPECT_EQ(Loaded.CSVFileSaveDialogInitialDir, "") << "stored empty, not the default";
    EXPECT_EQ(Loaded.HtmlHeaderLines, Saved.HtmlHeaderLines);
}

TEST_F(RegistrySettingsTest, ReadsExpandableStringsUnexpandedAndAnyNonZeroFlagAsSet) {
    PutText(L"ExportPath", REG_EXPAND_SZ, L"%TEMP%\\Listen\\");
    const DWORD Seven = 7;
    Put(L"ExcludeChannelUF", REG_DWORD, &Seven, sizeof Seven);
    // Written without its terminating NUL, as other programs may do.
    const std::wstring Bare = L"C:\\a.cxf";
    Put(L"CxfFileName", REG_SZ, Bare.data(), static_cast<DWORD>(Bare.size() * sizeof(wchar_t)));
    TStoredSettings Loaded;
    Loaded.ExcludeChannelUF = false;
    LoadSettings(*OpenRegistrySettingsKey(SubKey), QStringLiteral("C:\\w"), Loaded);
    EXPECT_EQ(Loaded.ExportPath, "%TEMP%\\Listen\\");
    EXPECT_TRUE(Loaded.ExcludeChannelUF);
    EXPECT_EQ(Loaded.CxfFileName, "C:\\a.cxf");
    EXPECT_EQ(Loaded.OpenDialogInitialDir, "C:\\w") << "absent: the working directory";
}

struct TWrongKindCase {
    const wchar_t* Name;
    DWORD Type;
    const char* Message;
};

// The value's name (ASCII) names the case.
std::string CaseName(const TWrongKindCase& Case) { return std::string(Case.Name, Case.Name + std::wcslen(Case.Name)); }
void PrintTo(const TWrongKindCase& Case, std::ostream* Out) { *Out << CaseName(Case); }

class RegistryWrongKind : public RegistrySettingsTest, public testing::WithParamInterface<TWrongKindCase> {};

TEST_P(RegistryWrongKind, NamesTheValue) {
    // "1" as a string is a string, not a flag: the registry keeps kinds.
    const DWORD One = 1;
    if (GetParam().Type == REG_DWORD)
        Put(GetParam().Name, REG_DWORD, &One, sizeof One);
    else if (GetParam().Type == REG_BINARY)
        Put(GetParam().Name, REG_BINARY, "\x01\x00", 2);
    else
        PutText(GetParam().Name, GetParam().Type, L"1");
    TStoredSettings Loaded;
    try {
        LoadSettings(*OpenRegistrySettingsKey(SubKey), QStringLiteral("C:\\w"), Loaded);
        ADD_FAILURE() << "no error";
    } catch (const ESettingsError& Error) {
        EXPECT_STREQ(Error.what(), GetParam().Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryWrongKind,
    testing::Values(TWrongKindCase{L"CxfFileName", REG_DWORD, "Invalid data type for 'CxfFileName'"},
                    TWrongKindCase{L"ExcludeChannelUF", REG_SZ, "Invalid data type for 'ExcludeChannelUF'"},
                    TWrongKindCase{L"ExportType", REG_EXPAND_SZ, "Invalid data type for 'ExportType'"},
                    TWrongKindCase{L"HtmlHeaderText", REG_BINARY, "Invalid data type for 'HtmlHeaderText'"}),
    [](const auto& Info) { return CaseName(Info.param); });

}  // namespace
