// The platform's URL history store. Callers take the factory as a parameter so
// that tests can hand in a fake store (Wine's answers E_NOTIMPL throughout).
#pragma once
#include <windows.h>
#include <urlhist.h>

namespace bpriv {

// {3C374A40-BAE4-11CF-BF7D-00AA006946EE}
constexpr CLSID kClsidCUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
// {AFA0DC11-C313-11D0-831A-00C04FD5AE38}
constexpr IID kIidIUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

using UrlHistoryFactory = HRESULT (*)(IUrlHistoryStg2** out);

// CoCreateInstance of the in-process history store.
HRESULT CreateUrlHistory(IUrlHistoryStg2** out);

}  // namespace bpriv
