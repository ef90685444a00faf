// The settings key in the Windows registry under HKEY_CURRENT_USER.
#pragma once

#include <memory>
#include <string>

#include "SettingsStoreUnit.h"

inline constexpr const wchar_t* SettingsRegistryKey = L"Software\\Morvane\\Zanvero";

// Opens SubKey of HKEY_CURRENT_USER, creating it with its missing parents.
// A key that can be neither opened nor created holds no value and refuses
// every write. Strings are REG_SZ (REG_EXPAND_SZ is read as it stands, not
// expanded), integers REG_DWORD.
std::unique_ptr<ISettingsKey> OpenRegistrySettingsKey(const std::wstring& SubKey);
