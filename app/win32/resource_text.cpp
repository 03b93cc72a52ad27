#include "app/win32/resource_text.h"

std::wstring loadResourceString(UINT id) {
    // With a zero length, LoadStringW gives a pointer to the string inside the resource.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text != nullptr ? std::wstring(text, static_cast<std::size_t>(length))
                                         : std::wstring();
}
