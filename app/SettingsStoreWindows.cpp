// The settings in the registry, written through the registry API itself:
// QSettings' native format would store the flags as the strings "true" and
// "false" where REG_DWORD 1 and 0 belong.
#include <windows.h>

#include <cstring>
#include <vector>

#include "RegistrySettingsKey.h"

namespace {

std::wstring WideName(const char* Name) {
    // Value names are ASCII.
    return std::wstring(Name, Name + std::char_traits<char>::length(Name));
}

class TRegistryKey final : public ISettingsKey {
public:
    explicit TRegistryKey(const std::wstring& SubKey) {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &FKey, nullptr) != ERROR_SUCCESS)
            FKey = nullptr;
    }
    ~TRegistryKey() override {
        if (FKey) RegCloseKey(FKey);
    }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;

    bool Has(const char* Name) override {
        DWORD Type = 0;
        return FKey && RegQueryValueExW(FKey, WideName(Name).c_str(), nullptr, &Type, nullptr, nullptr) == ERROR_SUCCESS;
    }

    QString ReadString(const char* Name) override {
        DWORD Type = 0;
        const std::vector<BYTE> Data = Query(Name, Type);
        if (Type != REG_SZ && Type != REG_EXPAND_SZ) ThrowWrongKind(Name);
        // The stored terminator, if there is one, is not part of the text.
        std::size_t Length = Data.size() / sizeof(wchar_t);
        const auto* Text = reinterpret_cast<const wchar_t*>(Data.data());
        while (Length > 0 && Text[Length - 1] == L'\0') --Length;
        return QString::fromWCharArray(Text, static_cast<qsizetype>(Length));
    }

    int ReadInteger(const char* Name) override {
        DWORD Type = 0;
        const std::vector<BYTE> Data = Query(Name, Type);
        if (Type != REG_DWORD || Data.size() != sizeof(DWORD)) ThrowWrongKind(Name);
        DWORD Value = 0;
        std::memcpy(&Value, Data.data(), sizeof Value);
        return static_cast<int>(Value);
    }

    void WriteString(const char* Name, const QString& Value) override {
        const std::wstring Text = Value.toStdWString();
        Set(Name, REG_SZ, reinterpret_cast<const BYTE*>(Text.c_str()), (Text.size() + 1) * sizeof(wchar_t));
    }

    void WriteInteger(const char* Name, int Value) override {
        const DWORD Number = static_cast<DWORD>(Value);
        Set(Name, REG_DWORD, reinterpret_cast<const BYTE*>(&Number), sizeof Number);
    }

    bool Flush() override { return FKey && !FWriteFailed; }

private:
    // The value's bytes and kind. A value that cannot be read (gone since
    // Has looked) counts as one of the wrong kind.
    std::vector<BYTE> Query(const char* Name, DWORD& Type) {
        const std::wstring WName = WideName(Name);
        std::vector<BYTE> Data(256);
        for (;;) {
            DWORD Size = static_cast<DWORD>(Data.size());
            const LSTATUS Status = FKey ? RegQueryValueExW(FKey, WName.c_str(), nullptr, &Type, Data.data(), &Size)
                                        : ERROR_FILE_NOT_FOUND;
            if (Status == ERROR_MORE_DATA) {
                Data.resize(Size + sizeof(wchar_t));
                continue;
            }
            if (Status != ERROR_SUCCESS) ThrowWrongKind(Name);
            Data.resize(Size);
            return Data;
        }
    }

    void Set(const char* Name, DWORD Type, const BYTE* Data, std::size_t Size) {
        if (!FKey || RegSetValueExW(FKey, WideName(Name).c_str(), 0, Type, Data, static_cast<DWORD>(Size)) !=
                         ERROR_SUCCESS)
            FWriteFailed = true;
    }

    HKEY FKey = nullptr;
    bool FWriteFailed = false;
};

}  // namespace

std::unique_ptr<ISettingsKey> OpenRegistrySettingsKey(const std::wstring& SubKey) {
    return std::make_unique<TRegistryKey>(SubKey);
}

std::unique_ptr<ISettingsKey> OpenSettingsStore() {
    return OpenRegistrySettingsKey(SettingsRegistryKey);
}
