// Win32 back end of the value store: string values under
// HKEY_CURRENT_USER\Software\Ombrix\Quillon. The key is opened and closed
// within each call.
#include <windows.h>
#include <string.h>

#include "value_store.h"

namespace {

const char kKey[] = "Software\\Ombrix\\Quillon";

LONG lastWriteError = ERROR_SUCCESS;

// Opening creates the key, and any missing key above it, when it is absent.
// `result` receives the reason when it cannot be opened.
HKEY OpenKey(LONG* result) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    char noClass[] = "";
    *result = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition);
    return *result == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

int RegReadString(const char* name, char* text) {
    LONG opened;
    HKEY key = OpenKey(&opened);
    if (key == nullptr) return 0;
    // One byte more than the value may hold keeps a 256-byte value without a
    // NUL terminated; the type is not looked at.
    BYTE data[257];
    DWORD size = 256;
    LONG result = RegQueryValueExA(key, name, nullptr, nullptr, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return 0;
    size_t length = 0;
    while (length < size && length < 255 && data[length] != 0) ++length;
    memcpy(text, data, length);
    text[length] = '\0';
    return 1;
}

int RegWriteString(const char* name, const char* text) {
    HKEY key = OpenKey(&lastWriteError);
    if (key == nullptr) return 0;
    LONG result =
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    RegCloseKey(key);
    lastWriteError = result;
    return result == ERROR_SUCCESS;
}

std::string ValueStoreLocation() {
    return std::string("HKEY_CURRENT_USER\\") + kKey;
}

std::string ValueStoreWriteFailure() {
    return lastWriteError == ERROR_SUCCESS ? "" : "error " + std::to_string(lastWriteError);
}
