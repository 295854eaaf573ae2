#include "platform/desktop.h"
#include "platform/wide_win.h"

#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace verdan::platform {

namespace {

DesktopResult shellOpen(const std::string& path) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", win::widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    // Values up to 32 are error codes.
    return result > 32 ? DesktopResult::Done : DesktopResult::Failed;
}

} // namespace

DesktopResult openDocument(const std::string& path) {
    return shellOpen(path);
}

DesktopResult showInFileManager(const std::string& path) {
    const HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    PIDLIST_ABSOLUTE item = nullptr;
    bool ok = SUCCEEDED(::SHParseDisplayName(win::widen(path).c_str(), nullptr, &item, 0, nullptr));
    if (ok) {
        ok = SUCCEEDED(::SHOpenFolderAndSelectItems(item, 0, nullptr, 0));
        ::CoTaskMemFree(item);
    }
    if (SUCCEEDED(init)) ::CoUninitialize();
    return ok ? DesktopResult::Done : DesktopResult::Failed;
}

DesktopResult openFolder(const std::string& path) {
    return shellOpen(path);
}

bool playSystemSound(SystemSound sound) {
    const wchar_t* alias = sound == SystemSound::Question ? L"SystemQuestion" : L"SystemAsterisk";
    // Nothing to fall back to when the alias has no sound: the user chose silence.
    ::PlaySoundW(alias, nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT);
    return true;
}

} // namespace verdan::platform
